// The row-run scan over plain grids and over every shipped skin.
#include "skin/SkinForm.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {
constexpr Colour W = 0xFFFFFF, B = 0x000000, R = 0x0000FF;

PixelGrid grid(int w, int h, std::initializer_list<Colour> px)
{
    PixelGrid g{w, h, px};
    if (g.pixels.empty())
        g.pixels.assign(static_cast<size_t>(w * h), W);
    return g;
}
} // namespace

TEST(OpaqueRuns, SmallGrids)
{
    EXPECT_EQ(opaqueRuns(grid(5, 1, {W, B, B, W, R}), 5, 1, W),
              (std::vector<RunRect>{{1, 0, 3, 1}, {4, 0, 5, 1}}));
    PixelGrid one = grid(8, 4, {});
    one.pixels[2 * 8 + 5] = B;
    EXPECT_EQ(opaqueRuns(one, 8, 4, W), (std::vector<RunRect>{{5, 2, 6, 3}}));
    // No key pixel: one full-width run a row.
    EXPECT_EQ(opaqueRuns(grid(3, 2, {B, B, R, R, B, B}), 3, 2, W),
              (std::vector<RunRect>{{0, 0, 3, 1}, {0, 1, 3, 2}}));
    EXPECT_TRUE(opaqueRuns(grid(3, 2, {}), 3, 2, W).empty());
    EXPECT_TRUE(opaqueRuns(grid(3, 2, {B, B, B, B, B, B}), 0, 2, W).empty());
    EXPECT_TRUE(opaqueRuns(grid(3, 2, {B, B, B, B, B, B}), 3, 0, W).empty());
    // Black is a colour like any other when it is the key.
    EXPECT_EQ(opaqueRuns(grid(3, 1, {B, W, B}), 3, 1, B), (std::vector<RunRect>{{1, 0, 2, 1}}));
}

TEST(OpaqueRuns, EveryShippedSkinHasTheSameSeventyEightRows)
{
    Q_INIT_RESOURCE(assets);
    std::vector<RunRect> expected{{2, 1, 13, 2}};
    for (int y = 2; y <= 32; ++y)
        expected.push_back({1, y, 13, y + 1});
    expected.push_back({1, 33, 411, 34});
    for (int y = 34; y <= 77; ++y)
        expected.push_back({1, y, 412, y + 1});
    expected.push_back({2, 78, 411, 79});
    ASSERT_EQ(expected.size(), 78u);
    for (int n = 1; n <= 17; ++n) {
        const QImage img(QStringLiteral(":/skin%1.bmp").arg(n, 2, 10, QLatin1Char('0')));
        ASSERT_EQ(img.size(), QSize(413, 80)) << n;
        EXPECT_EQ(img.depth() == 24 || img.format() == QImage::Format_RGB32, true) << n;
        const PixelGrid g = PixelGrid::fromImage(img);
        EXPECT_EQ(g.at(0, 0), 0xFFFFFF) << n;
        EXPECT_EQ(opaqueRuns(g, 413, 80, g.at(0, 0)), expected) << "skin " << n;
    }
}
