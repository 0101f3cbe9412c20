#pragma once
// The view state commands and the page edits of the main window: redisplay, the
// size and bitonal modes, magnification, zoom, the View menu's marks, rotations,
// invert, the white-fill mode and the white-fill of a dragged band.

#include "shared/Dialogs.h"
#include "shared/SharedState.h"
#include "view/EditHistory.h"

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

    // Applies bitonalmode, windowmode and magfactor to the page already shown (no reload).
    void redisplay();

    // Set windowmode 0 / 1 / 2, then redisplay.
    void actualSize();
    void fit();
    void fitWidth();
    // Asks for a new magfactor; answers not greater than 0 (or rounding to 0) and
    // Cancel change nothing; otherwise magfactor = the answer rounded half to even.
    void magnification();
    // SizeMode 4 and ZoomPercent +15 (zoomOut: -15 only while above 15); the view
    // state globals are untouched.
    void zoomIn();
    void zoomOut();
    // Set bitonalmode 0 / 2 / 1, then redisplay.
    void scaleToGray();
    void normal();
    void favorBlack();
    // Magnification caption and the six check marks, from the view state globals.
    void viewMenuOpening(const ViewMenuItems& items);

    // Quarter, half and three-quarter turns clockwise (9000, 18000, 27000); the frame
    // follows the page; modified = kImageEdited. Without a page nothing happens.
    void rotateClockwise();
    void rotateUpside();
    void rotateAntiClockwise();
    // Black for white; modified keeps its value.
    void invert();
    // Flips the check mark of "&White-Fill" itself, then applies the mode: connect it to
    // an action that does not flip its own mark (or use setWhiteFill from `toggled`).
    void toggleWhiteFill();
    // Sets the check mark to `on` (when not already) and applies the mode's view
    // settings: on = band selection and cross-hair, off = neither.
    void setWhiteFill(bool on);
    // BandDone of the page view: with white-fill on, paints the dragged rectangle white
    // (window pixels converted at the drawn scale) and sets modified to 1.
    void bandDone();

    // Undo / redo of the edits above on the page shown: the page's pixels and
    // `modified` return to their values before (after) the edit. False when there
    // is nothing to undo (redo).
    bool undo();
    bool redo();
    // The steps are forgotten when another page is shown, or the page is saved or reverted.
    void clearHistory() { history_.clear(); }
    const EditHistory& history() const { return history_; }

  private:
    void setAndRedisplay(std::int16_t& global, std::int16_t value);
    void rotate(int hundredths);
    // Repaints when an undo or redo `changed` the page; returns `changed`.
    bool repaintIf(bool changed);

    SharedState& state_;
    Dialogs& dialogs_;
    imaging::PageView& view_;
    QWidget* owner_;
    QAction* whiteOut_;
    EditHistory history_;
};

}  // namespace leafmark
