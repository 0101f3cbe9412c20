// The start-up geometry and the texts derived from the program's location.
#include <gtest/gtest.h>

#include <QStringList>
#include <map>

#include "app/AppLocation.h"
#include "app/ToolbarLayout.h"

using namespace leafmark::app;

namespace {

std::map<int, int> leftsTwips(int screenTwips, double factor) {
    std::map<int, int> out;
    for (const ToolbarPlace& p : layoutToolbar(screenTwips, factor)) out[p.slot] = p.leftTwips;
    return out;
}

}  // namespace

// At one pixel per twip nothing is rounded, so the lefts are the formula's own
// numbers: a 28800-twip screen gives G = (28800 - 8100) \ 8 = 2587.
TEST(ToolbarLayout, WideScreenFollowsTheGroupFormula) {
    const auto l = leftsTwips(28800, 1.0);
    const std::map<int, int> expected = {
        {3, 2587},   {4, 3127},   {5, 3667},   {1, 6794},   {kDocumentMarkerSlot, 9921},
        {6, 13048},  {7, 13588},  {8, 16715},  {9, 17255},  {16, 20382},
        {17, 20922}, {18, 21462}, {19, 22002}, {21, 25129}, {22, 25669}};
    EXPECT_EQ(l, expected);
    // The row ends G plus the division's remainder before the screen's edge.
    EXPECT_EQ(28800 - (l.at(22) + 540), 2587 + 4);
    // Placing order: rotations, save and next, marker, fit, bitonal, navigation, open.
    std::vector<int> order;
    for (const ToolbarPlace& p : layoutToolbar(28800, 1.0)) order.push_back(p.slot);
    EXPECT_EQ(order, (std::vector<int>{3, 4, 5, 1, 0, 6, 7, 8, 9, 16, 17, 18, 19, 21, 22}));
}

// A 6000-twip screen: G = -2100 \ 8 = -262 (truncated toward zero, not -263); the
// buttons overlap and nothing is clamped.
TEST(ToolbarLayout, NarrowScreenGivesNegativeGapAndOverlap) {
    EXPECT_EQ(toolbarGapTwips(6000), -262);
    EXPECT_EQ(toolbarGapTwips(8100), 0);
    EXPECT_EQ(toolbarGapTwips(8107), 0);
    const auto l = leftsTwips(6000, 1.0);
    EXPECT_EQ(l.at(3), -262);
    EXPECT_EQ(l.at(4), 278);
    EXPECT_EQ(l.at(1), 1096);
    EXPECT_EQ(l.at(kDocumentMarkerSlot), 1374);
    EXPECT_EQ(l.at(6), 1652);
    EXPECT_EQ(l.at(16), 3288);
    EXPECT_EQ(l.at(21), 5186);
    EXPECT_EQ(l.at(22), 5726);
    EXPECT_LT(l.at(1), l.at(5) + 540);  // overlapping group neighbours
}

// At 96 dpi (15 twips per pixel) each control reports its left on the pixel grid
// and the next one is measured from that reported left.
TEST(ToolbarLayout, PixelRoundingCarriesFromControlToControl) {
    const double f = 96.0 / 1440.0;
    const auto places = layoutToolbar(28800, f);
    std::map<int, ToolbarPlace> by;
    for (const auto& p : places) by.emplace(p.slot, p);
    EXPECT_EQ(by.at(3).leftPixels, 172);  // 2587 twips = 172.47 px
    EXPECT_EQ(by.at(3).leftTwips, 2580);
    EXPECT_EQ(by.at(4).leftPixels, 208);  // (2580 + 540) / 15
    // 3660 + 540 + 2587 = 6787 twips = 452.47 px; from unrounded lefts it would be 453.
    EXPECT_EQ(by.at(1).leftPixels, 452);
    EXPECT_EQ(twipsToPixels(540, f), 36);
    EXPECT_EQ(twipsToPixels(30, f), 2);
}

TEST(ToolbarLayout, StartupGeometryFromTheScreen) {
    const WindowGeometry g = startupGeometry(1920, 1080, 96.0 / 1440.0);
    EXPECT_EQ(g.window, QRect(0, 0, 1920, 1052));  // 16200 - 420 twips
    EXPECT_EQ(g.view, QRect(6, 48, 1904, 954));    // 90, 720, w - 240, h - 1470 twips
    const WindowGeometry big = startupGeometry(2880, 1620, 144.0 / 1440.0);
    EXPECT_EQ(big.window, QRect(0, 0, 2880, 1578));
    EXPECT_EQ(big.view, QRect(9, 72, 2856, 1431));
}

TEST(AppLocation, SettingsAndHelpAreNamedAfterTheExecutable) {
    AppLocation loc{QStringLiteral("/opt/tools/"), QStringLiteral("viewer")};
    EXPECT_EQ(loc.settingsFile(), QStringLiteral("/opt/tools/viewer.ini"));
    EXPECT_EQ(loc.helpDocument(), QStringLiteral("/opt/tools/viewer.pdf"));
    // The running test program: its own folder and name.
    const AppLocation self = AppLocation::ofRunningProgram();
    EXPECT_EQ(self.baseName, QStringLiteral("app_test"));
    EXPECT_TRUE(self.apppath.endsWith(QLatin1Char('/')));
    EXPECT_FALSE(self.apppath.endsWith(QStringLiteral("//")));
}

TEST(AppLocation, AboutTextIsTheVersionAndFourCreditLines) {
    const QString text = aboutText(leafmark::kVersion);
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("Version 1.1.1016"));
    for (const QString& l : lines) EXPECT_FALSE(l.trimmed().isEmpty());
    EXPECT_FALSE(text.contains(QLatin1Char('\r')));
    EXPECT_EQ(aboutText({2, 0, 7}).section(QLatin1Char('\n'), 0, 0),
              QStringLiteral("Version 2.0.7"));
}

TEST(AppLocation, FolderWrittenBackForAChosenPath) {
    EXPECT_EQ(folderOfChosenPath(QStringLiteral("/scans/box1/p1.tif")),
              QStringLiteral("/scans/box1"));
    EXPECT_EQ(folderOfChosenPath(QStringLiteral("p1.tif")), QString());
    EXPECT_EQ(folderOfChosenPath(QString()), QString());
    // A page in the root folder keeps the root, not an empty folder.
    EXPECT_EQ(folderOfChosenPath(QStringLiteral("/p1.tif")), QStringLiteral("/"));
}
