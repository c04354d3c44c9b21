"""Keys of a US keyboard as Linux input codes (linux/input-event-codes.h): what
a compositor's virtual keyboard takes. Names are the X keysym names that
xdotool's "key" command takes ("Return", "BackSpace", "ctrl+a")."""

_ROWS = {  # first code of a row, its keys unshifted and shifted
    2: ("1234567890-=", "!@#$%^&*()_+"),
    16: ("qwertyuiop[]", "QWERTYUIOP{}"),
    30: ("asdfghjkl;'`", 'ASDFGHJKL:"~'),
    43: ("\\zxcvbnm,./", "|ZXCVBNM<>?"),
}

# character -> (code, shifted)
CHARACTERS = {" ": (57, False), "\n": (28, False), "\t": (15, False)}
for _first, (_plain, _shifted) in _ROWS.items():
    for _offset, (_a, _b) in enumerate(zip(_plain, _shifted)):
        CHARACTERS[_a] = (_first + _offset, False)
        CHARACTERS[_b] = (_first + _offset, True)

SHIFT = 42

NAMED = {
    "Escape": 1, "BackSpace": 14, "Tab": 15, "Return": 28, "Control_L": 29, "Shift_L": 42, "Shift_R": 54,
    "Alt_L": 56, "space": 57, "Caps_Lock": 58, "Num_Lock": 69, "Scroll_Lock": 70, "KP_Enter": 96,
    "Control_R": 97, "Alt_R": 100, "Home": 102, "Up": 103, "Prior": 104, "Page_Up": 104, "Left": 105,
    "Right": 106, "End": 107, "Down": 108, "Next": 109, "Page_Down": 109, "Insert": 110, "Delete": 111,
    "Pause": 119, "Super_L": 125, "Super_R": 126, "Menu": 127, "Print": 99,
    "F11": 87, "F12": 88,
    "minus": 12, "equal": 13, "bracketleft": 26, "bracketright": 27, "semicolon": 39, "apostrophe": 40,
    "grave": 41, "backslash": 43, "comma": 51, "period": 52, "slash": 53,
}
NAMED.update({f"F{n}": 58 + n for n in range(1, 11)})
NAMED.update({letter: CHARACTERS[letter][0] for letter in "abcdefghijklmnopqrstuvwxyz0123456789"})

# xdotool's modifier words
MODIFIERS = {"ctrl": 29, "control": 29, "shift": 42, "alt": 56, "meta": 56, "super": 125, "win": 125}


def chord(name):
    """The codes to hold down in order for one xdotool key name such as
    "ctrl+shift+Tab" or "A" (which is shift and a)."""
    *modifiers, key = name.split("+")
    codes = []
    for word in modifiers:
        code = MODIFIERS.get(word.lower()) or NAMED.get(word)
        if code is None:
            raise ValueError(f"unknown modifier {word!r} in key name {name!r}")
        codes.append(code)
    if key in NAMED:
        codes.append(NAMED[key])
    elif len(key) == 1 and key in CHARACTERS:
        code, shifted = CHARACTERS[key]
        codes += [SHIFT, code] if shifted and SHIFT not in codes else [code]
    else:
        raise ValueError(f"no key of a US keyboard is named {key!r}")
    return codes


def strokes(text):
    """The chords that type text, one per character."""
    out = []
    for character in text:
        if character not in CHARACTERS:
            raise ValueError(f"{character!r} is not on a US keyboard")
        code, shifted = CHARACTERS[character]
        out.append([SHIFT, code] if shifted else [code])
    return out
