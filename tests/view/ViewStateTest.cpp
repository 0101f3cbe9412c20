// View state commands: redisplay, size and bitonal modes, magnification, zoom and
// the View menu's caption and check marks.
#include <gtest/gtest.h>

#include "ViewTestWindow.h"

namespace leafmark::testing {
namespace {

TEST(Redisplay, ActualSizeZoomComesFromTheResolution) {
    ViewTestWindow w;
    w.show(solidPage(2550, 3300, false), 300);
    w.state.windowmode = 0;
    w.state.magfactor = 100;
    w.commands->redisplay();
    EXPECT_EQ(w.view.sizeMode(), 4);
    EXPECT_NEAR(w.view.zoomPercent(), 100.0 / 3, 1e-4);

    w.show(solidPage(1700, 2200, false), 200);
    w.state.magfactor = 150;
    w.commands->redisplay();
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 75);
}

TEST(Redisplay, ZeroResolutionKeepsTheZoom) {
    ViewTestWindow w;
    w.show(solidPage(600, 800, false), 200);
    w.commands->actualSize();
    ASSERT_FLOAT_EQ(w.view.zoomPercent(), 50);
    w.show(solidPage(600, 800, false), 0);
    w.state.magfactor = 300;
    w.commands->redisplay();
    EXPECT_EQ(w.view.sizeMode(), 4);
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 50);
}

TEST(Redisplay, ModesMapOntoTheView) {
    ViewTestWindow w;
    w.show(solidPage(600, 800, false), 200);
    w.commands->fitWidth();
    EXPECT_EQ(w.state.windowmode, 2);
    EXPECT_EQ(w.view.sizeMode(), 2);
    w.commands->fit();
    EXPECT_EQ(w.state.windowmode, 1);
    EXPECT_EQ(w.view.sizeMode(), 3);
    w.state.windowmode = 9;  // unknown: shown as actual size
    w.commands->redisplay();
    EXPECT_EQ(w.view.sizeMode(), 4);

    w.commands->favorBlack();
    EXPECT_EQ(w.state.bitonalmode, 1);
    EXPECT_EQ(w.view.bitonalDisplay(), 1);
    w.commands->normal();
    EXPECT_EQ(w.state.bitonalmode, 2);
    EXPECT_EQ(w.view.bitonalDisplay(), 0);
    w.commands->scaleToGray();
    EXPECT_EQ(w.state.bitonalmode, 0);
    EXPECT_EQ(w.view.bitonalDisplay(), 2);
    w.state.bitonalmode = -3;
    w.commands->redisplay();
    EXPECT_EQ(w.view.bitonalDisplay(), 2);
}

TEST(Redisplay, FitModesLeaveTheZoomAlone) {
    ViewTestWindow w;  // no page: the zoom held is what the view reports
    w.view.setSizeMode(imaging::kSizeZoom);
    w.view.setZoomPercent(55);
    w.commands->fit();
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 55);
    w.commands->fitWidth();
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 55);
    // Zoom in from a fit mode starts from that value and leaves the fit mode.
    w.commands->zoomIn();
    EXPECT_EQ(w.view.sizeMode(), 4);
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 70);
    EXPECT_EQ(w.state.windowmode, 2);
}

TEST(Zoom, StepsOfFifteenWithAFloor) {
    ViewTestWindow w;
    w.show(solidPage(600, 800, false), 200);
    w.state.magfactor = 40;
    w.commands->actualSize();  // 20 %
    ASSERT_FLOAT_EQ(w.view.zoomPercent(), 20);
    w.commands->zoomOut();
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 5);
    w.commands->zoomIn();
    w.commands->zoomIn();
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 35);
    EXPECT_EQ(w.state.magfactor, 40);
    EXPECT_EQ(w.state.windowmode, 0);
}

TEST(Zoom, ZoomOutAtFifteenChangesNothingButTheSizeMode) {
    ViewTestWindow w;  // without a page the zoom held is exact
    w.view.setSizeMode(imaging::kSizeFitPage);
    w.view.setZoomPercent(15);
    w.commands->zoomOut();
    EXPECT_EQ(w.view.sizeMode(), 4);
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 15);
    w.view.setZoomPercent(10);
    w.commands->zoomOut();
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 10);
}

TEST(Magnification, AnswersAreReadAsTheirLeadingNumber) {
    ViewTestWindow w;
    w.show(solidPage(600, 800, false), 300);
    w.state.windowmode = 0;
    w.dialogs.inputAnswers = {QStringLiteral("150%")};
    w.commands->magnification();
    EXPECT_EQ(w.state.magfactor, 150);
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), 50);
    ASSERT_EQ(w.dialogs.inputPrompts.size(), 1);
    EXPECT_EQ(w.dialogs.inputPrompts[0],
              QStringLiteral("Please specify the magnification factor (normal = 100)."));
    EXPECT_EQ(w.dialogs.inputTitles[0], QStringLiteral("Magnification Factor"));
    EXPECT_EQ(w.dialogs.inputDefaults[0], QStringLiteral("100"));

    // Refused answers change nothing, not even the drawn page.
    w.view.setZoomPercent(61);
    for (const std::optional<QString>& a :
         {std::optional<QString>(QStringLiteral("0")),
          std::optional<QString>(QStringLiteral("-20")),
          std::optional<QString>(QStringLiteral("abc")), std::optional<QString>(QString()),
          std::optional<QString>(QStringLiteral("0.4")), std::optional<QString>()}) {
        w.dialogs.inputAnswers = {a};
        w.commands->magnification();
        EXPECT_EQ(w.state.magfactor, 150) << (a ? a->toStdString() : "cancel");
        EXPECT_FLOAT_EQ(w.view.zoomPercent(), 61);
    }
    EXPECT_EQ(w.dialogs.inputDefaults.last(), QStringLiteral("150"));

    w.dialogs.inputAnswers = {QStringLiteral("50.5")};
    w.commands->magnification();
    EXPECT_EQ(w.state.magfactor, 50);
    w.dialogs.inputAnswers = {QStringLiteral("51.5")};
    w.commands->magnification();
    EXPECT_EQ(w.state.magfactor, 52);
    w.dialogs.inputAnswers = {QStringLiteral(" 1e3")};
    w.commands->magnification();
    EXPECT_EQ(w.state.magfactor, 1000);
}

TEST(Magnification, InFitModeOnlyTheFactorChanges) {
    ViewTestWindow w;
    w.show(solidPage(600, 800, false), 300);
    w.commands->fit();
    const float fitZoom = w.view.zoomPercent();
    w.dialogs.inputAnswers = {QStringLiteral("250")};
    w.commands->magnification();
    EXPECT_EQ(w.state.magfactor, 250);
    EXPECT_EQ(w.view.sizeMode(), 3);
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), fitZoom);
}

struct MenuItems {
    QAction mag, actual, fit, width, gray, normal, black;
    MenuItems() {
        for (QAction* a : {&actual, &fit, &width, &gray, &normal, &black}) a->setCheckable(true);
    }
    ViewMenuItems items() { return {&mag, &actual, &fit, &width, &gray, &normal, &black}; }
    QList<QAction*> checked() {
        QList<QAction*> out;
        for (QAction* a : {&actual, &fit, &width, &gray, &normal, &black})
            if (a->isChecked()) out << a;
        return out;
    }
};

TEST(ViewMenu, CaptionAndCheckMarksFollowTheState) {
    ViewTestWindow w;
    MenuItems m;
    w.state.magfactor = 150;
    w.state.windowmode = 2;
    w.state.bitonalmode = 1;
    w.commands->viewMenuOpening(m.items());
    EXPECT_EQ(m.mag.text(), QStringLiteral("Magnification (150)"));
    EXPECT_EQ(m.checked(), (QList<QAction*>{&m.width, &m.black}));

    w.state.windowmode = 0;
    w.state.bitonalmode = 0;
    w.commands->viewMenuOpening(m.items());
    EXPECT_EQ(m.checked(), (QList<QAction*>{&m.actual, &m.gray}));

    // Stored modes outside the known values show no mark at all.
    w.state.windowmode = 5;
    w.state.bitonalmode = -1;
    w.commands->viewMenuOpening(m.items());
    EXPECT_TRUE(m.checked().isEmpty());

    w.state.bitonalmode = 2;
    w.state.windowmode = 1;
    w.commands->viewMenuOpening(m.items());
    EXPECT_EQ(m.checked(), (QList<QAction*>{&m.fit, &m.normal}));
}

TEST(ViewCommandsWithoutPage, EveryCommandRunsOnTheEmptyView) {
    ViewTestWindow w;
    w.state.windowmode = 0;
    w.commands->redisplay();
    w.commands->actualSize();
    w.commands->fit();
    w.commands->fitWidth();
    w.commands->zoomIn();
    w.commands->zoomOut();
    w.commands->favorBlack();
    w.commands->invert();
    EXPECT_FALSE(w.view.engine().hasImage());
    EXPECT_EQ(w.state.modified, 0);
}

}  // namespace
}  // namespace leafmark::testing
