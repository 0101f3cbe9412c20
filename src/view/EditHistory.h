#pragma once
// Undo and redo of the edits made to the page shown (turns, invert, white-fill
// bands). Each step keeps a copy of the page as it was before the edit and the
// value `modified` had, so undoing restores both exactly. The copies are bounded
// by a byte budget: the oldest steps are dropped first, the latest is always kept.

#include <cstdint>
#include <deque>

#include "imaging/engine/Handles.h"
#include "shared/SharedState.h"

namespace leafmark::imaging {
class PageEngine;
}

namespace leafmark {

class EditHistory {
  public:
    explicit EditHistory(std::size_t budgetBytes = 256u * 1024 * 1024) : budget_(budgetBytes) {}

    // Call right before an edit of the page held by `engine`; `modified` is the
    // flag's value before the edit. Clears the redo steps.
    void record(const imaging::PageEngine& engine, std::int16_t modified);
    // Puts the page and `modified` back as they were before the last edit; the
    // state left is kept for redo. False (nothing changes) when there is no step.
    bool undo(imaging::PageEngine& engine, std::int16_t& modified);
    // Applies the last undone edit again (page and `modified`). False when none.
    bool redo(imaging::PageEngine& engine, std::int16_t& modified);
    // Forgets every step (another page shown, the page saved or reverted).
    void clear();

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    std::size_t undoDepth() const { return undo_.size(); }

  private:
    struct Step {
        imaging::PixPtr pix;
        int xres = 0;
        int yres = 0;
        std::int16_t modified = kUnmodified;
        std::size_t bytes = 0;
    };
    static Step snapshot(const imaging::PageEngine& engine, std::int16_t modified);
    static void restore(Step& step, imaging::PageEngine& engine, std::int16_t& modified);
    // Undo and redo alike: the page and `modified` take the latest step of `from`,
    // and what they were goes onto `to`.
    bool step(std::deque<Step>& from, std::deque<Step>& to, imaging::PageEngine& engine,
              std::int16_t& modified);
    void trim();

    std::size_t budget_;
    std::deque<Step> undo_;
    std::deque<Step> redo_;
};

}  // namespace leafmark
