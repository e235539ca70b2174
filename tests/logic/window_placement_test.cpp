#include "shell/logic/window_placement.h"

#include <gtest/gtest.h>

namespace lumaset {
namespace {

TEST(DefaultWindowRect, ScalesWithTheDpiAndStaysInsideTheWorkArea) {
    struct Row {
        ScreenRect work;
        int dpi;
        ScreenRect want;
    };
    const Row rows[] = {
        {{0, 0, 1920, 1040}, 96, {576, 232, 1344, 808}},
        {{0, 0, 1920, 1040}, 120, {480, 160, 1440, 880}},
        {{0, 0, 1920, 1040}, 144, {384, 88, 1536, 952}},
        // Taller than the work area: as tall as it, at its top.
        {{0, 0, 1920, 1040}, 192, {192, 0, 1728, 1040}},
        {{0, 0, 1024, 738}, 192, {0, 0, 1024, 738}},
        // A monitor left of the primary one, taskbar at its top.
        {{-1600, 40, 0, 1200}, 144, {-1376, 188, -224, 1052}},
        {{0, 0, 1920, 1040}, 0, {576, 232, 1344, 808}},  // no DPI known: 96
        {{0, 0, 0, 0}, 96, {0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dpi);
        const ScreenRect got = defaultWindowRect(row.work, row.dpi);
        EXPECT_EQ(got, row.want) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
}

}  // namespace
}  // namespace lumaset
