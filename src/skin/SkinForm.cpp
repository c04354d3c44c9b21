#include "skin/SkinForm.h"

#include "controls/controls.h"
#include "controls/form.h"
#include "controls/int16.h"

#include <QImage>
#include <QRegion>
#include <stdexcept>

namespace {
Colour toColour(QRgb rgb)
{
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

// GetPixel's answer for a point outside the picture.
constexpr Colour kInvalidColour = -1;
} // namespace

PixelGrid PixelGrid::fromImage(const QImage &image)
{
    PixelGrid g;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    g.width = rgb.width();
    g.height = rgb.height();
    g.pixels.reserve(static_cast<size_t>(g.width) * static_cast<size_t>(g.height));
    for (int y = 0; y < g.height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < g.width; ++x)
            g.pixels.push_back(toColour(line[x]));
    }
    return g;
}

std::vector<RunRect> opaqueRuns(const PixelGrid &grid, int W, int H, Colour key)
{
    std::vector<RunRect> runs;
    const auto pixel = [&](int x, int y) {
        return (x < grid.width && y < grid.height) ? grid.at(x, y) : kInvalidColour;
    };
    for (int y = 0; y < H; ++y) {
        int x = 0;
        while (x < W) {
            while (x < W && pixel(x, y) == key)
                ++x;
            if (x >= W)
                break;
            const int x0 = x;
            while (x < W && pixel(x, y) != key)
                ++x;
            runs.push_back({x0, y, x, y + 1});
        }
    }
    return runs;
}

void SkinForm(Form &window, PictureBox &box, Colour &keyColour)
{
    // An empty box would leave the tab with no visible pixel and nothing left to click:
    // refuse before anything changes, so the window keeps its picture and shape.
    if (box.Picture().isNull())
        throw std::runtime_error("no picture to shape the window from");
    box.setAutoSize(true);
    window.hide();
    window.setPicture(box.Picture());
    const float tppX = window.twipsPerPixelX();
    const float tppY = window.twipsPerPixelY();
    const float boxWidth = static_cast<float>(box.width()) * tppX;
    const float boxHeight = static_cast<float>(box.height()) * tppY;
    window.setWidth(boxWidth);
    window.setHeight(boxHeight);
    QRegion region;
    box.AutoRedraw = true;
    const int H = cint16(boxHeight / tppY);
    const int W = cint16(boxWidth / tppX);
    const PixelGrid grid = PixelGrid::fromImage(box.Picture().toImage());
    if (keyColour < 1)
        keyColour = grid.width > 0 && grid.height > 0 ? grid.at(0, 0) : kInvalidColour;
    for (const RunRect &r : opaqueRuns(grid, W, H, keyColour))
        region += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    // An empty QRegion would remove the mask altogether; a pixel outside the window shows
    // nothing, as an empty shape should.
    window.setMask(region.isEmpty() ? QRegion(-1, -1, 1, 1) : region);
    box.setPicture(QPixmap());
    window.show();
}
