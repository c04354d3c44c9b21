// Shaping a window from a colour-keyed picture: every pixel of the key colour is cut away, so
// it is transparent and takes no input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Form;
class PictureBox;
class QImage;

// Colours are 0x00BBGGRR values, compared exactly.
using Colour = std::int32_t;

// A picture as a plain grid of colours; (0, 0) is the top-left pixel.
struct PixelGrid {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels; // row after row

    Colour at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    static PixelGrid fromImage(const QImage &image);
};

// A run of non-key pixels of one row: columns left .. right - 1 of row top (bottom = top + 1).
struct RunRect {
    int left, top, right, bottom;
    bool operator==(const RunRect &) const = default;
};

// The runs of pixels that differ from key, rows top to bottom, runs left to right. Only
// pixels inside both the grid and W x H are read.
std::vector<RunRect> opaqueRuns(const PixelGrid &grid, int W, int H, Colour key);

// Gives the window the box's picture, its size and the shape of its non-key pixels, then shows
// it. A key below 1 means the colour of the picture's top-left pixel, which is written back.
void SkinForm(Form &window, PictureBox &pictureBox, Colour &keyColour);
