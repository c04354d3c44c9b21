"""Pixel pictures for the desktop tests: screen grabs (PPM), PNG files, skin BMPs.

Only what the tests need: 8-bit RGB pixels addressed by (x, y), read from
binary PPM (what `import ... ppm:-` prints), 24-bit uncompressed BMP, and 8-bit
RGB/RGBA PNG; written as 8-bit RGB PNG so that a person can look at it.
"""

import struct
import zlib


class Picture:
    """Width x height RGB pixels, rows top-down, 3 bytes a pixel."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError(f"{width}x{height} picture needs {width * height * 3} bytes, got {len(rgb)}")
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"pixel ({x}, {y}) outside {self.width}x{self.height}")
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def row(self, y, x0, x1):
        """Pixels x0..x1 inclusive of row y."""
        return [self.pixel(x, y) for x in range(x0, x1 + 1)]


def _ppm_tokens(data, count):
    """The first `count` header tokens of a PPM and the offset after them."""
    tokens, i = [], 0
    while len(tokens) < count:
        while i < len(data) and data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            while i < len(data) and data[i:i + 1] not in (b"\n", b"\r"):
                i += 1
            continue
        start = i
        while i < len(data) and not data[i:i + 1].isspace():
            i += 1
        if start == i:
            raise ValueError("truncated PPM header")
        tokens.append(data[start:i])
    return tokens, i + 1  # one whitespace byte ends the header


def parse_ppm(data):
    tokens, offset = _ppm_tokens(data, 4)
    if tokens[0] != b"P6":
        raise ValueError(f"not a binary PPM: {tokens[0]!r}")
    width, height, maxval = (int(t) for t in tokens[1:])
    if maxval == 255:
        rgb = data[offset:offset + width * height * 3]
    elif maxval == 65535:  # a 16-bit build of ImageMagick: keep the high bytes
        rgb = data[offset:offset + width * height * 6][0::2]
    else:
        raise ValueError(f"unsupported PPM maxval {maxval}")
    return Picture(width, height, rgb)


def read_bmp(path):
    """A 24-bit uncompressed BMP: rows bottom-up (or top-down for a negative
    height), BGR order, each row padded to a multiple of 4 bytes."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP")
    pixel_offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _planes, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        raise ValueError(f"{path}: {bits} bits, compression {compression}; want 24-bit uncompressed")
    bottom_up = height > 0
    height = abs(height)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        file_row = height - 1 - y if bottom_up else y
        start = pixel_offset + file_row * stride
        bgr = data[start:start + width * 3]
        if len(bgr) != width * 3:
            raise ValueError(f"{path}: truncated pixel data")
        row = bytearray(width * 3)
        row[0::3], row[1::3], row[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(row))
    return Picture(width, height, b"".join(rows))


def _png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def write_png(path, picture):
    stride = picture.width * 3
    raw = b"".join(b"\x00" + picture.rgb[y * stride:(y + 1) * stride] for y in range(picture.height))
    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", header)
                + _png_chunk(b"IDAT", zlib.compress(raw, 6)) + _png_chunk(b"IEND", b""))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(kind, line, previous, bpp):
    if kind == 0:
        return line
    out = bytearray(line)
    for i in range(len(out)):
        left = out[i - bpp] if i >= bpp else 0
        up = previous[i]
        up_left = previous[i - bpp] if i >= bpp else 0
        if kind == 1:
            predictor = left
        elif kind == 2:
            predictor = up
        elif kind == 3:
            predictor = (left + up) // 2
        elif kind == 4:
            predictor = _paeth(left, up, up_left)
        else:
            raise ValueError(f"bad PNG filter {kind}")
        out[i] = (out[i] + predictor) & 0xFF
    return out


def read_png(path):
    """8-bit RGB or RGBA, non-interlaced PNG (alpha is dropped)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG")
    i, idat, header = 8, [], None
    while i < len(data):
        length, kind = struct.unpack_from(">I4s", data, i)
        body = data[i + 8:i + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
        i += 12 + length
    if header is None:
        raise ValueError(f"{path}: no IHDR")
    width, height, depth, colour, _comp, _filter, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(f"{path}: depth {depth}, colour type {colour}, interlace {interlace} not supported")
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    previous = bytearray(stride)
    rows = []
    for y in range(height):
        start = y * (stride + 1)
        line = _unfilter(raw[start], raw[start + 1:start + 1 + stride], previous, bpp)
        previous = line
        if bpp == 4:
            line = bytes(b for j, b in enumerate(line) if j % 4 != 3)
        rows.append(bytes(line))
    return Picture(width, height, b"".join(rows))
