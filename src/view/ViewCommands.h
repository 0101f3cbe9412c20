#pragma once
// The view state commands and the page edits of the main window: redisplay, the
// size and bitonal modes, magnification, zoom, the View menu's marks, rotations,
// invert, the white-fill mode and the white-fill of a dragged band.

#include "shared/Dialogs.h"
#include "shared/SharedState.h"

class QAction;
class QWidget;

namespace leafmark::imaging {
class PageView;
}

namespace leafmark {

// The View menu items whose caption and check marks are set when it opens.
struct ViewMenuItems {
    QAction* magFactor = nullptr;
    QAction* actualSize = nullptr;
    QAction* fit = nullptr;
    QAction* fitWidth = nullptr;
    QAction* scaleToGray = nullptr;
    QAction* normal = nullptr;
    QAction* favorBlack = nullptr;
};

class ViewCommands {
public:
    // `whiteOut` is the checkable "&White-Fill" action: its check mark is the mode.
    ViewCommands(SharedState& state, Dialogs& dialogs, imaging::PageView& view, QWidget* owner,
                 QAction* whiteOut);

    void redisplay();

    void actualSize();
    void fit();
    void fitWidth();
    void magnification();
    void zoomIn();
    void zoomOut();
    void scaleToGray();
    void normal();
    void favorBlack();
    void viewMenuOpening(const ViewMenuItems& items);

    void rotateClockwise();      // 9000
    void rotateUpside();         // 18000
    void rotateAntiClockwise();  // 27000
    void invert();
    void toggleWhiteFill();
    // BandDone of the page view.
    void bandDone();

    // The white-fill settings of the page view, as the page display applies them
    // after each load (with the mode off it also clears MouseOption).
    static void applyWhiteFillAfterLoad(imaging::PageView& view, bool whiteFillOn);

private:
    SharedState& state_;
    Dialogs& dialogs_;
    imaging::PageView& view_;
    QWidget* owner_;
    QAction* whiteOut_;
};

}  // namespace leafmark
