#include "view/ViewCommands.h"

#include <QAction>
#include <initializer_list>
#include <limits>

#include "imaging/widget/PageView.h"
#include "shared/Settings.h"
#include "view/ViewMapping.h"

namespace leafmark {

namespace {
constexpr float kZoomStep = 15.0f;
constexpr std::uint32_t kWhite = 0xFFFFFF;
}  // namespace

ViewCommands::ViewCommands(SharedState& state, Dialogs& dialogs, imaging::PageView& view,
                           QWidget* owner, QAction* whiteOut)
    : state_(state), dialogs_(dialogs), view_(view), owner_(owner), whiteOut_(whiteOut) {}

void ViewCommands::redisplay() { applyViewState(view_, state_); }

// The size-mode and the bitonal commands each set one view-state global and redisplay.
void ViewCommands::setAndRedisplay(std::int16_t& global, std::int16_t value) {
    global = value;
    redisplay();
}

void ViewCommands::actualSize() { setAndRedisplay(state_.windowmode, 0); }
void ViewCommands::fit() { setAndRedisplay(state_.windowmode, 1); }
void ViewCommands::fitWidth() { setAndRedisplay(state_.windowmode, 2); }

void ViewCommands::magnification() {
    const std::optional<QString> answer = dialogs_.input(
        owner_, QStringLiteral("Please specify the magnification factor (normal = 100)."),
        QStringLiteral("Magnification Factor"), QString::number(state_.magfactor));
    if (!answer) return;
    const double value = leadingNumber(*answer);
    if (!(value > 0.0)) return;
    // A factor that rounds to 0 would show no page; one beyond 32 bits cannot be held.
    const std::optional<std::int32_t> rounded = roundToInt32(value);
    if (!rounded || *rounded <= 0) return;
    state_.magfactor = *rounded;
    redisplay();
}

void ViewCommands::zoomIn() {
    view_.setSizeMode(imaging::kSizeZoom);
    view_.setZoomPercent(view_.zoomPercent() + kZoomStep);
    view_.Repaint();
}

void ViewCommands::zoomOut() {
    view_.setSizeMode(imaging::kSizeZoom);
    if (view_.zoomPercent() > kZoomStep) {
        view_.setZoomPercent(view_.zoomPercent() - kZoomStep);
        view_.Repaint();
    }
}

void ViewCommands::scaleToGray() { setAndRedisplay(state_.bitonalmode, 0); }
void ViewCommands::normal() { setAndRedisplay(state_.bitonalmode, 2); }
void ViewCommands::favorBlack() { setAndRedisplay(state_.bitonalmode, 1); }

void ViewCommands::viewMenuOpening(const ViewMenuItems& items) {
    if (items.magFactor)
        items.magFactor->setText(QStringLiteral("Magnification (%1)").arg(state_.magfactor));
    for (QAction* a : {items.fit, items.fitWidth, items.actualSize, items.favorBlack, items.normal,
                       items.scaleToGray})
        if (a) a->setChecked(false);
    // Each global checks the item standing at its value.
    const auto checkAt = [](int value, std::initializer_list<QAction*> itemsByValue) {
        if (value < 0 || value >= static_cast<int>(itemsByValue.size())) return;
        if (QAction* a = itemsByValue.begin()[value]) a->setChecked(true);
    };
    checkAt(state_.bitonalmode, {items.scaleToGray, items.favorBlack, items.normal});
    checkAt(state_.windowmode, {items.actualSize, items.fit, items.fitWidth});
}

void ViewCommands::rotate(int hundredths) {
    // With no page there is nothing to turn and nothing to mark as changed.
    if (!view_.engine().hasImage()) return;
    history_.record(view_.engine(), state_.modified);
    state_.modified = kImageEdited;
    view_.engine().Rotate(hundredths, true, kWhite);
    view_.Repaint();
}

void ViewCommands::rotateClockwise() { rotate(9000); }
void ViewCommands::rotateUpside() { rotate(18000); }
void ViewCommands::rotateAntiClockwise() { rotate(27000); }

void ViewCommands::invert() {
    history_.record(view_.engine(), state_.modified);
    view_.engine().Invert();
    view_.Repaint();
}

void ViewCommands::toggleWhiteFill() { setWhiteFill(!(whiteOut_ && whiteOut_->isChecked())); }

void ViewCommands::setWhiteFill(bool on) {
    if (whiteOut_ && whiteOut_->isChecked() != on) whiteOut_->setChecked(on);
    applyWhiteFill(view_, on);
}

void ViewCommands::bandDone() {
    if (!whiteOut_ || !whiteOut_->isChecked()) return;
    // A band over an empty view paints nothing and changes nothing.
    if (!view_.engine().hasImage()) return;
    history_.record(view_.engine(), state_.modified);
    state_.modified = kImageEdited;
    float left = view_.bandLeft();
    float top = view_.bandTop();
    float width = view_.bandWidth();
    float height = view_.bandHeight();
    const float zoom = view_.zoomPercent();
    if (zoom != 0.0f) {
        const float s = zoom / 100.0f;
        left = (view_.bandLeft() - view_.viewLeft()) / s;
        top = (view_.bandTop() - view_.viewTop()) / s;
        width = width / s;
        height = height / s;
    }
    imaging::PageEngine& engine = view_.engine();
    engine.SetRegionRect(left, top, width, height);
    engine.FillRegion(kWhite);
    engine.ClearRegion();
    view_.Repaint();
}

bool ViewCommands::undo() { return repaintIf(history_.undo(view_.engine(), state_.modified)); }

bool ViewCommands::redo() { return repaintIf(history_.redo(view_.engine(), state_.modified)); }

bool ViewCommands::repaintIf(bool changed) {
    if (changed) view_.Repaint();
    return changed;
}

}  // namespace leafmark
