// Opening and closing along rows from the runs of ink against leptonica's brick
// operations, on random noise of several densities and widths that end mid-word,
// where runs touch the image's edges and gaps of every width occur.

#include <gtest/gtest.h>

#include <random>

#include "PixTestPages.h"
#include "imaging/separators/RowMorph.h"

using namespace leafmark::imaging;

TEST(RowMorph, SamePixelsAsBrickOpeningAndClosing) {
    std::mt19937 random(7);
    for (const auto& size : {std::pair{97, 41}, {64, 9}, {301, 23}})
        for (double density : {0.2, 0.5, 0.8, 0.95}) {
            PixPtr noise(pixCreate(size.first, size.second, 1));
            std::bernoulli_distribution ink(density);
            for (int y = 0; y < size.second; ++y)
                for (int x = 0; x < size.first; ++x)
                    if (ink(random)) pixSetPixel(noise.get(), x, y, 1);
            for (int brick : {2, 3, 5, 6, 11, 12}) {
                SCOPED_TRACE(std::to_string(size.first) + " wide, density " +
                             std::to_string(density) + ", brick " + std::to_string(brick));
                PixPtr opened(pixOpenBrick(nullptr, noise.get(), brick, 1));
                PixPtr closed(pixCloseBrick(nullptr, noise.get(), brick, 1));
                EXPECT_TRUE(
                    testpages::samePixels(openRows(noise.get(), brick).get(), opened.get()));
                EXPECT_TRUE(
                    testpages::samePixels(closeRows(noise.get(), brick).get(), closed.get()));
            }
        }
}
