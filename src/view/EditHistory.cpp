#include "view/EditHistory.h"

#include "imaging/engine/PageEngine.h"

namespace leafmark {

EditHistory::Step EditHistory::snapshot(const imaging::PageEngine& engine, std::int16_t modified) {
    Step s;
    PIX* pix = engine.pix();
    // A copy, not a clone: the edits change the engine's pixels in place.
    s.pix = imaging::PixPtr(pix ? pixCopy(nullptr, pix) : nullptr);
    s.xres = engine.XResolution();
    s.yres = engine.YResolution();
    s.modified = modified;
    if (s.pix)
        s.bytes = static_cast<std::size_t>(pixGetWpl(s.pix.get())) * 4u *
                  static_cast<std::size_t>(pixGetHeight(s.pix.get()));
    return s;
}

void EditHistory::restore(Step& step, imaging::PageEngine& engine, std::int16_t& modified) {
    engine.setImage(std::move(step.pix), step.xres, step.yres);
    modified = step.modified;
}

void EditHistory::record(const imaging::PageEngine& engine, std::int16_t modified) {
    if (!engine.hasImage()) return;
    redo_.clear();
    undo_.push_back(snapshot(engine, modified));
    trim();
}

bool EditHistory::undo(imaging::PageEngine& engine, std::int16_t& modified) {
    return step(undo_, redo_, engine, modified);
}

bool EditHistory::redo(imaging::PageEngine& engine, std::int16_t& modified) {
    return step(redo_, undo_, engine, modified);
}

bool EditHistory::step(std::deque<Step>& from, std::deque<Step>& to, imaging::PageEngine& engine,
                       std::int16_t& modified) {
    if (from.empty()) return false;
    to.push_back(snapshot(engine, modified));
    restore(from.back(), engine, modified);
    from.pop_back();
    trim();
    return true;
}

void EditHistory::clear() {
    undo_.clear();
    redo_.clear();
}

void EditHistory::trim() {
    std::size_t total = 0;
    for (const Step& s : undo_) total += s.bytes;
    for (const Step& s : redo_) total += s.bytes;
    // The oldest undo steps go first, then the farthest redo steps; the step just
    // made is always kept.
    while (total > budget_ && undo_.size() + redo_.size() > 1) {
        std::deque<Step>& from = undo_.size() > 1 || redo_.empty() ? undo_ : redo_;
        total -= from.front().bytes;
        from.pop_front();
    }
}

}  // namespace leafmark
