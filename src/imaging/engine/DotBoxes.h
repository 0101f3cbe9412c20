#pragma once
// The boxes of the groups of ink of a page, indexed by a coarse grid, for the
// despeckle's look at the neighbours of each small dot.

#include <algorithm>
#include <utility>
#include <vector>

namespace leafmark::imaging::dots {

// A box as half-open edges.
struct Rect {
    int x0, y0, x1, y1;
    int w() const { return x1 - x0; }
    int h() const { return y1 - y0; }
    int bottom() const { return y1 - 1; }
};

// The boxes of a page with a coarse grid over them, so the boxes near a mark are
// found without looking at all of them.
class BoxIndex {
  public:
    BoxIndex(std::vector<Rect> boxes, int width, int height) : boxes_(std::move(boxes)) {
        cols_ = std::max(1, (width + kCell - 1) / kCell);
        rows_ = std::max(1, (height + kCell - 1) / kCell);
        cells_.resize(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_));
        for (int i = 0; i < static_cast<int>(boxes_.size()); ++i) {
            const Rect& b = boxes_[static_cast<std::size_t>(i)];
            for (int cy = b.y0 / kCell; cy <= b.bottom() / kCell && cy < rows_; ++cy)
                for (int cx = b.x0 / kCell; cx <= (b.x1 - 1) / kCell && cx < cols_; ++cx)
                    cell(cx, cy).push_back(i);
        }
    }

    const Rect& at(int i) const { return boxes_[static_cast<std::size_t>(i)]; }
    int size() const { return static_cast<int>(boxes_.size()); }

    // Calls f(index) once for every box meeting [x0, x1) x [y0, y1), stopping when f
    // returns true; returns whether it did.
    template <typename F>
    bool any(int x0, int y0, int x1, int y1, F&& f) const {
        const int cx0 = std::clamp(x0 / kCell, 0, cols_ - 1),
                  cx1 = std::clamp((x1 - 1) / kCell, 0, cols_ - 1);
        const int cy0 = std::clamp(y0 / kCell, 0, rows_ - 1),
                  cy1 = std::clamp((y1 - 1) / kCell, 0, rows_ - 1);
        for (int cy = cy0; cy <= cy1; ++cy)
            for (int cx = cx0; cx <= cx1; ++cx)
                for (const int i : cells_[static_cast<std::size_t>(cy * cols_ + cx)]) {
                    const Rect& b = at(i);
                    if (b.x1 <= x0 || b.x0 >= x1 || b.y1 <= y0 || b.y0 >= y1) continue;
                    // A box spanning several cells is reported from the first one only.
                    if (std::max(b.x0 / kCell, cx0) != cx || std::max(b.y0 / kCell, cy0) != cy)
                        continue;
                    if (f(i)) return true;
                }
        return false;
    }

  private:
    static constexpr int kCell = 32;
    std::vector<int>& cell(int cx, int cy) {
        return cells_[static_cast<std::size_t>(cy * cols_ + cx)];
    }
    std::vector<Rect> boxes_;
    std::vector<std::vector<int>> cells_;
    int cols_ = 1, rows_ = 1;
};

}  // namespace leafmark::imaging::dots
