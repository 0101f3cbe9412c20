// Opening and closing along rows and down columns, halving an ink map, counting the
// runs of ink along its lines and thinning a band of them for the barcode reader, against
// leptonica's brick operations and rank reduction and a count pixel by pixel, on random noise of
// several densities and sizes that end mid-word (odd ones too), where runs touch the image's edges
// and gaps of every width occur.

#include <gtest/gtest.h>

#include <random>

#include "PixTestPages.h"
#include "imaging/separators/BrickMorph.h"
#include "imaging/separators/HalfSize.h"
#include "imaging/separators/LineRuns.h"
#include "imaging/separators/ReaderBytes.h"

using namespace leafmark::imaging;

namespace {

PixPtr noise(int w, int h, double density, std::mt19937& random) {
    PixPtr pix(pixCreate(w, h, 1));
    std::bernoulli_distribution ink(density);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (ink(random)) pixSetPixel(pix.get(), x, y, 1);
    return pix;
}

}  // namespace

TEST(BrickMorph, SamePixelsAsBrickOpeningAndClosing) {
    std::mt19937 random(7);
    for (const auto& size : {std::pair{97, 41}, {64, 9}, {301, 23}, {40, 3}})
        for (double density : {0.2, 0.5, 0.8, 0.95}) {
            const PixPtr ink = noise(size.first, size.second, density, random);
            for (int brick : {2, 3, 5, 6, 11, 12}) {
                SCOPED_TRACE(std::to_string(size.first) + " wide, density " +
                             std::to_string(density) + ", brick " + std::to_string(brick));
                PixPtr opened(pixOpenBrick(nullptr, ink.get(), brick, 1));
                PixPtr closed(pixCloseBrick(nullptr, ink.get(), brick, 1));
                EXPECT_TRUE(testpages::samePixels(openRows(ink.get(), brick).get(), opened.get()));
                EXPECT_TRUE(testpages::samePixels(closeRows(ink.get(), brick).get(), closed.get()));
                opened.reset(pixOpenBrick(nullptr, ink.get(), 1, brick));
                closed.reset(pixCloseBrick(nullptr, ink.get(), 1, brick));
                EXPECT_TRUE(
                    testpages::samePixels(openColumns(ink.get(), brick).get(), opened.get()));
                EXPECT_TRUE(
                    testpages::samePixels(closeColumns(ink.get(), brick).get(), closed.get()));
            }
        }
}

TEST(HalfSize, SamePixelsAsRankReduction) {
    std::mt19937 random(8);
    for (const auto& size : {std::pair{2, 2}, {33, 7}, {65, 12}, {97, 41}, {128, 6}, {301, 23}})
        for (double density : {0.1, 0.3, 0.6}) {
            const PixPtr ink = noise(size.first, size.second, density, random);
            for (int level : {1, 2}) {
                SCOPED_TRACE(std::to_string(size.first) + " x " + std::to_string(size.second) +
                             ", density " + std::to_string(density) + ", level " +
                             std::to_string(level));
                PixPtr reduced(pixReduceRankBinary2(ink.get(), level, nullptr));
                EXPECT_TRUE(testpages::samePixels(halfSize(ink.get(), level).get(), reduced.get()));
            }
        }
}

TEST(LineRuns, MostRunsOnARowAndAColumnAsCountedPixelByPixel) {
    std::mt19937 random(11);
    for (const auto& size : {std::pair{97, 41}, {64, 9}, {301, 23}, {33, 70}})
        for (double density : {0.1, 0.5, 0.9}) {
            const PixPtr ink = noise(size.first, size.second, density, random);
            // Ink in the padding past the right edge is not counted.
            const int wpl = pixGetWpl(ink.get());
            if (size.first % 32)
                for (int y = 0; y < size.second; ++y)
                    pixGetData(ink.get())[y * wpl + wpl - 1] |= ~0u >> (size.first % 32);
            auto runs = [&](int n, int along, bool rows) {
                int count = 0;
                for (int i = 0; i < along; ++i) {
                    l_uint32 v = 0, before = 0;
                    pixGetPixel(ink.get(), rows ? i : n, rows ? n : i, &v);
                    if (i > 0) pixGetPixel(ink.get(), rows ? i - 1 : n, rows ? n : i - 1, &before);
                    count += v && !before;
                }
                return count;
            };
            int rows = 0, columns = 0;
            for (int y = 0; y < size.second; ++y) rows = std::max(rows, runs(y, size.first, true));
            for (int x = 0; x < size.first; ++x)
                columns = std::max(columns, runs(x, size.second, false));
            for (int enough : {3, 10, 1000}) {
                SCOPED_TRACE(std::to_string(size.first) + " wide, density " +
                             std::to_string(density) + ", enough " + std::to_string(enough));
                const LineRuns most = mostInkRuns(ink.get(), enough);
                EXPECT_EQ(most.alongRows, std::min(rows, enough));
                EXPECT_EQ(most.downColumns, std::min(columns, enough));
            }
        }
}

TEST(ReaderBytes, ABandOfRowsOrColumnsThinnedAndAllLinesAroundIt) {
    std::mt19937 random(5);
    const PixPtr ink = noise(70, 37, 0.4, random);
    std::vector<std::uint8_t> whole, thinned;
    ASSERT_EQ(readerBytes(ink.get(), whole).width, 70);
    for (const bool rows : {true, false}) {
        const LineBand band{rows, 5, 30, 4};
        const ReaderSize size = thinnedReaderBytes(ink.get(), band, thinned);
        std::vector<int> lines;  // 0-4, 5, 9, ..., 29, 30 on
        for (int i = 0; i < (rows ? 37 : 70); ++i)
            if (i < 5 || i >= 30 || (i - 5) % 4 == 0) lines.push_back(i);
        ASSERT_EQ(rows ? size.height : size.width, static_cast<int>(lines.size()));
        ASSERT_EQ(rows ? size.width : size.height, rows ? 70 : 37);
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) {
                const int wx = rows ? x : lines[x], wy = rows ? lines[y] : y;
                ASSERT_EQ(thinned[y * size.width + x], whole[wy * 70 + wx]) << x << "," << y;
            }
    }
}
