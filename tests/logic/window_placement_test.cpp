#include <gtest/gtest.h>

#include "shell/logic/window_placement.h"

namespace lumaset {
namespace {

const MonitorArea kPrimary{{0, 0, 1920, 1040}, 96};
const MonitorArea kRightHighDpi{{1920, 0, 4480, 1400}, 192};

TEST(WindowPlacement, ReadsWhatItWritesAndNothingDamaged) {
    const SavedWindow saved{{-20, 40, 1180, 840}, true, 333, 144};
    EXPECT_EQ(formatSavedWindow(saved), L"-20,40,1200,800,1,333,144");
    EXPECT_EQ(parseSavedWindow(formatSavedWindow(saved)), saved);

    for (const wchar_t* damaged : {
             L"",                               // missing
             L"10,20,800,600,0,200",            // a field short
             L"10,20,800,600,0,200,96,1",       // one too many
             L"10,20,800,600,0,200,96 ",        // trailing blank
             L"10, 20,800,600,0,200,96",        // inner blank
             L"10,20,800,600,2,200,96",         // maximised neither 0 nor 1
             L"10,20,800,600,0,900,96",         // split beyond the frame
             L"10,20,800,600,0,-1,96",          // negative split
             L"10,20,80,600,0,20,96",           // too narrow
             L"10,20,800,60,0,200,96",          // too low
             L"10,20,300,200,0,100,192",        // too small for its DPI
             L"10,20,9999999,600,0,200,96",     // too many digits
             L"10,20,800,600,0,200,0",          // no DPI
             L"10,20,800,600,0,200,5000",       // absurd DPI
             L"200000,20,800,600,0,200,96",     // absurd position
             L"10,20,800,600,0,200,9x",         // not a number
             L"-,20,800,600,0,200,96",          // a sign alone
         })
        EXPECT_EQ(parseSavedWindow(damaged), std::nullopt) << damaged;
}

struct PlacementCase {
    const char* what;
    SavedWindow saved;
    std::vector<MonitorArea> monitors;
    std::optional<SavedWindow> expected;
};

TEST(WindowPlacement, ComesBackOnlyOntoAMonitorThatIsThere) {
    const PlacementCase cases[] = {
        {"same monitor, same DPI: as left", {{100, 50, 900, 650}, false, 260, 96}, {kPrimary},
         SavedWindow{{100, 50, 900, 650}, false, 260, 96}},
        {"maximised state kept", {{100, 50, 900, 650}, true, 260, 96}, {kPrimary},
         SavedWindow{{100, 50, 900, 650}, true, 260, 96}},
        {"the monitor it was on is gone", {{2000, 100, 2800, 700}, false, 260, 96}, {kPrimary}, std::nullopt},
        {"no monitors at all", {{100, 50, 900, 650}, false, 260, 96}, {}, std::nullopt},
        {"on the second monitor at 192 DPI: sizes doubled", {{2000, 100, 2800, 700}, false, 260, 96},
         {kPrimary, kRightHighDpi}, SavedWindow{{2000, 100, 3600, 1300}, false, 520, 192}},
        {"taken at 144, now 96: sizes two thirds", {{0, 0, 1200, 900}, false, 300, 144}, {kPrimary},
         SavedWindow{{0, 0, 800, 600}, false, 200, 96}},
        {"mostly on the right monitor goes there", {{1800, 100, 2600, 700}, false, 260, 192},
         {kPrimary, kRightHighDpi}, SavedWindow{{1920, 100, 2720, 700}, false, 260, 192}},
        {"partly off the bottom right: moved inside", {{1500, 900, 2100, 1400}, false, 200, 96}, {kPrimary},
         SavedWindow{{1320, 540, 1920, 1040}, false, 200, 96}},
        {"above the work area: caption brought back", {{100, -300, 900, 300}, false, 200, 96}, {kPrimary},
         SavedWindow{{100, 0, 900, 600}, false, 200, 96}},
        {"larger than the work area: fitted", {{0, 0, 5000, 3000}, false, 4000, 96}, {kPrimary},
         SavedWindow{{0, 0, 1920, 1040}, false, 1920, 96}},
        {"monitor left of the primary, negative coordinates", {{-1500, 100, -700, 700}, false, 260, 96},
         {kPrimary, {{-1920, 0, 0, 1040}, 96}}, SavedWindow{{-1500, 100, -700, 700}, false, 260, 96}},
    };
    for (const PlacementCase& c : cases) EXPECT_EQ(restoredWindow(c.saved, c.monitors), c.expected) << c.what;
}

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
