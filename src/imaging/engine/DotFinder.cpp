// Which small dots of a page are specks. Every group of dark pixels is boxed once;
// a dot too small for any part of a letter is a speck, and a dot the size of a
// full stop is kept only when it is shaped like a printed dot, the boxes around it
// show a line of text that such a mark belongs to, and that text is of a size whose
// dots are this small (its strokes no thicker than the dot).

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

#include "imaging/engine/DotBoxes.h"
#include "imaging/engine/DotShape.h"
#include "imaging/engine/IsolatedDots.h"

namespace leafmark::imaging {

namespace {

using dots::BoxIndex;
using dots::Rect;

constexpr double kReferenceDpi = 300.0;

int scaled(int atReference, int dpi, int minimum) {
    const double res = dpi > 0 ? dpi : kReferenceDpi;
    return std::max(minimum, static_cast<int>(std::lround(atReference * res / kReferenceDpi)));
}

class SpeckJudge {
  public:
    SpeckJudge(PIX* binary, const BoxIndex& boxes, const SpeckLimits& limits)
        : pix_(binary),
          data_(pixGetData(binary)),
          wpl_(pixGetWpl(binary)),
          width_(pixGetWidth(binary)),
          height_(pixGetHeight(binary)),
          boxes_(boxes),
          l_(limits) {}

    bool isMark(const Rect& b) const { return b.w() <= l_.markWidth && b.h() <= l_.markHeight; }
    bool isTiny(const Rect& b) const { return b.w() <= l_.tinyWidth && b.h() <= l_.tinyHeight; }

    bool looksPrinted(const Rect& m) const {
        return looksLikePrintedDot(pix_, m.x0, m.y0, m.w(), m.h(), l_.xres, l_.yres);
    }

    // True when ink lies within one pixel of the mark's box: a piece of a stroke
    // broken by a one-pixel gap, not a speck.
    bool touchesInk(const Rect& m) const {
        const int x0 = std::max(0, m.x0 - 2), x1 = std::min(pixGetWidth(pix_), m.x1 + 2);
        const int y0 = std::max(0, m.y0 - 2), y1 = std::min(pixGetHeight(pix_), m.y1 + 2);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if ((x < m.x0 || x >= m.x1 || y < m.y0 || y >= m.y1) && dark(x, y)) return true;
        return false;
    }

    // Which punctuation of a line of text the mark could be, by where it sits.
    std::optional<DotRole> roleInText(int i) const {
        const Rect& m = boxes_.at(i);
        if (besideBaseline(m)) return DotRole::FullStop;
        if (onStem(m, true)) return DotRole::IDot;
        if (onStem(m, false)) return DotRole::StopUnderStroke;
        if (inLeaderRow(i)) return DotRole::LeaderDot;
        if (overAnotherMark(m)) return DotRole::UpperColonDot;
        return std::nullopt;
    }

  private:
    // A letter of the mark's line, of type that has marks this size: more than twice
    // as tall as the mark and rising more than the mark's height over it (a comma or
    // a larger dot beside it is not a letter).
    bool isLetterBeside(const Rect& b, const Rect& m) const {
        return !isMark(b) && b.h() > 2 * m.h() && b.y0 < m.y0 - m.h();
    }

    // A letter ends just left of the mark (a full stop is set about its own width or
    // two from it), and the line's baseline runs through the mark: a full stop, a
    // comma, a decimal point.
    bool besideBaseline(const Rect& m) const {
        const int gap = std::max(l_.stopGapX, 3 * m.w());
        const bool letterBefore =
            boxes_.any(m.x0 - gap - 1, m.y0 - 4 * m.h(), m.x0, m.y1 + l_.alignY, [&](int j) {
                const Rect& b = boxes_.at(j);
                return b.x0 < m.x0 && isLetterBeside(b, m) && b.bottom() >= m.bottom() - l_.alignY;
            });
        return letterBefore && onBaseline(m) && asThickAsStrokesBefore(m);
    }

    // A full stop is no thinner than the strokes of the letters it follows, but for
    // a pixel of rounding: across the height of a letter to its left, half of the
    // runs of ink are no wider than the mark (its height counted on the paper's
    // scale). Type too large for a mark this size has wider strokes.
    bool asThickAsStrokesBefore(const Rect& m) const {
        const int thick = std::max(m.w(), m.h() * l_.xres / l_.yres) + l_.centreX;
        int thin = 0, wide = 0;
        const int x0 = std::max(0, m.x0 - l_.lineReachX);
        for (int y = std::max(0, m.y1 - 6 * m.h()); y < m.y1; ++y) {
            int run = 0;
            for (int x = x0; x <= m.x0; ++x) {
                if (x < m.x0 && dark(x, y)) {
                    ++run;
                    continue;
                }
                if (run > 0) (run > thick ? wide : thin) += 1;
                run = 0;
            }
        }
        return wide <= thin;
    }

    // The line's baseline runs through the mark: a letter within reach to the left,
    // taller than the mark, ends at its height, and it is not a letter hanging below
    // the line (the tail of a y, a bracket), which another letter before the mark
    // ending above it and across its lower half shows.
    bool onBaseline(const Rect& m) const {
        std::vector<Rect> letters;
        boxes_.any(m.x0 - l_.lineReachX, m.y0 - 8 * m.h(), m.x0, m.y1 + l_.alignY + 1, [&](int j) {
            const Rect& b = boxes_.at(j);
            if (b.x0 < m.x0 && isLetterBeside(b, m)) letters.push_back(b);
            return false;
        });
        return std::any_of(letters.begin(), letters.end(), [&](const Rect& r) {
            if (r.bottom() < m.y0 - l_.alignY || r.bottom() > m.bottom() + l_.alignY) return false;
            return std::none_of(letters.begin(), letters.end(), [&](const Rect& b) {
                return b.x1 <= m.x0 && b.bottom() < m.y0 - l_.alignY &&
                       2 * b.bottom() > r.y0 + r.bottom();
            });
        });
    }

    // A letter's stem starts just below the mark where other letters of its line
    // start, and runs down under it to their baseline (the dot of i and j); or a
    // stroke ends just above a mark that sits on the baseline (the dot of ! and ?).
    bool onStem(const Rect& m, bool stemBelow) const {
        if (!stemBelow && !onBaseline(m)) return false;
        const int x0 = m.x0, x1 = m.x1;
        const int dir = stemBelow ? 1 : -1;
        // The row nearest the mark with ink under (or over) it: the dot is set about
        // its own height from the stem.
        const int reach = std::max(l_.dotGapY, 2 * m.h() + 1);
        int row = -1, col = -1;
        for (int d = 0; d <= reach && row < 0; ++d) {
            const int y = stemBelow ? m.y1 + d : m.y0 - 1 - d;
            if (y < 0 || y >= pixGetHeight(pix_)) break;
            for (int x = x0; x < x1 && row < 0; ++x)
                if (dark(x, y)) row = y, col = x;
        }
        if (row < 0) return false;
        // The stroke's end there is a run of ink not much wider than the mark. Under
        // an i-dot only the columns of the dot count: the top serif of an i, or the bar
        // of an f before it, may run into the letters beside it. They run out to the
        // left; a run going on past the dot's right is the top of a bowl or an arch.
        int from = col, to = col;
        while (from > 0 && dark(from - 1, row)) --from;
        while (to + 1 < pixGetWidth(pix_) && dark(to + 1, row)) ++to;
        if (stemBelow && to >= x1 + l_.centreX) return false;
        if (stemBelow) from = std::max(from, x0 - 1), to = std::min(to, x1);
        if (to - from + 1 > 3 * m.w() + 2) return false;
        // ...and is the stroke's very end: nothing of it beyond that row (the side of
        // a bowl is not the end of a stem). Above an i's stem only the dot's own columns
        // count: the tip of a serif may rise a row beside it.
        const int beyond = row - dir;
        const int bx0 = stemBelow ? x0 : std::max(0, from - 1);
        const int bx1 = stemBelow ? x1 : std::min(pixGetWidth(pix_), to + 2);
        if (beyond >= 0 && beyond < pixGetHeight(pix_) && inkAcross(bx0, bx1, beyond)) return false;
        // Rows of ink under (or over) the mark from that row on, without a break, as
        // narrow as the stroke's end for the first two thirds (an n or m widens into
        // its arch, an i does not).
        int depth = 0;
        for (int y = row; y >= 0 && y < pixGetHeight(pix_) && inkAcross(x0, x1, y); y += dir)
            ++depth;
        if (depth < std::max(3, 2 * m.h())) return false;
        if (!stemBelow) return true;
        // An i-dot is set close over its stem: at most about a third of the stem's
        // height above it (two rows always, which small type rounds its gap up to);
        // and it is no thinner than its stem, but for a pixel of rounding.
        const int gap = row - m.y1;
        if (gap > std::max(2, 2 * l_.alignY) && 10 * gap > 3 * depth) return false;
        if (runWidthAt(x0, x1, row + depth / 2) > m.w() + l_.centreX) return false;
        // Below its top rows (where a serif may run into the letter beside it) the
        // stem stays narrow for the first two thirds: an n or m widens into its
        // arch, an i does not.
        for (int y = row + 1 + l_.serifY; y < row + depth * 2 / 3; ++y)
            if (runWidthAt(x0, x1, y) > 3 * m.w() + 2) return false;
        // Below any serif at its top, the stem's middle, followed up along the stem's
        // own lean (the page may not be straightened yet), meets the dot's middle.
        const int upper = std::min(row + 1 + l_.serifY, row + depth - 1);
        const int lower = std::max(upper, row + depth / 2);
        if (!stemPointsAt(m, upper, lower)) return false;
        // A letter of the same line starts no lower than the stem and reaches at least
        // halfway down it: the stem belongs to a letter of a line, not to a stroke
        // standing alone.
        const int bottom = row + depth - 1;
        const int tol = l_.alignY + 1;
        return boxes_.any(
            m.x0 - l_.lineReachX, row - tol, m.x1 + l_.lineReachX, bottom + 1, [&](int j) {
                const Rect& b = boxes_.at(j);
                return (b.x1 <= from || b.x0 > to) && !isMark(b) && b.y0 <= row + tol &&
                       b.bottom() >= row + depth / 2 && b.y0 < bottom - depth / 2;
            });
    }

    // True when the stem under the mark, its middle fitted as a straight line over rows
    // `upper` to `lower` and followed on up to the mark's middle row, passes within
    // centreX (and a pixel for rounding) of the mark's middle. The fit over all those
    // rows evens out the one-pixel steps of a stroke's edges; its lean is at most that
    // of a page 15 degrees askew.
    bool stemPointsAt(const Rect& m, int upper, int lower) const {
        double n = 0, sy = 0, sm = 0, syy = 0, sym = 0;
        for (int y = upper; y <= lower; ++y) {
            const int middle = runMiddle(m, y);  // in half pixels
            if (middle < 0) return false;
            n += 1, sy += y, sm += middle, syy += double(y) * y, sym += double(y) * middle;
        }
        if (n == 0) return false;
        const double spread = n * syy - sy * sy;
        const double most = 2.0 * 0.27 * l_.xres / std::max(1, l_.yres);  // half pixels per row
        const double lean =
            spread > 0 ? std::clamp((n * sym - sy * sm) / spread, -most, most) : 0.0;
        const double markRow = (m.y0 + m.y1 - 1) / 2.0;
        const double atMark = sm / n + lean * (markRow - sy / n);
        return std::abs(atMark - (m.x0 + m.x1)) <= 2 * l_.centreX + 2;
    }

    // Twice the middle of the run of ink in row y that meets the mark's columns (the
    // one nearest the mark's middle); -1 when there is none.
    int runMiddle(const Rect& m, int y) const {
        int best = -1;
        for (int x = m.x0; x < m.x1; ++x) {
            if (!dark(x, y)) continue;
            int from = x, to = x;
            while (from > 0 && dark(from - 1, y)) --from;
            while (to + 1 < pixGetWidth(pix_) && dark(to + 1, y)) ++to;
            const int middle = from + to + 1;
            if (best < 0 || std::abs(middle - (m.x0 + m.x1)) < std::abs(best - (m.x0 + m.x1)))
                best = middle;
            x = to;
        }
        return best;
    }

    // The box of the ink inside `r` (`r` itself when it holds none).
    Rect inkOf(const Rect& r) const {
        Rect ink{r.x1, r.y1, r.x0, r.y0};
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x)
                if (dark(x, y)) {
                    ink.x0 = std::min(ink.x0, x), ink.x1 = std::max(ink.x1, x + 1);
                    ink.y0 = std::min(ink.y0, y), ink.y1 = std::max(ink.y1, y + 1);
                }
        return ink.x0 < ink.x1 ? ink : r;
    }

    // Width of the widest run of ink in row y that meets [x0, x1).
    int runWidthAt(int x0, int x1, int y) const {
        int widest = 0;
        for (int x = x0; x < x1; ++x) {
            if (!dark(x, y)) continue;
            int from = x, to = x;
            while (from > 0 && dark(from - 1, y)) --from;
            while (to + 1 < pixGetWidth(pix_) && dark(to + 1, y)) ++to;
            widest = std::max(widest, to - from + 1);
            x = to;
        }
        return widest;
    }

    bool inkAcross(int x0, int x1, int y) const {
        for (int x = x0; x < x1; ++x)
            if (dark(x, y)) return true;
        return false;
    }

    // Read straight from the rows: the rules look at many pixels around every dot.
    bool dark(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
        return GET_DATA_BIT(data_ + static_cast<std::ptrdiff_t>(y) * wpl_, x) != 0;
    }

    // The mark is one of at least three dots of its size in a row on one baseline,
    // or one of two whose first stands beside a baseline (an ellipsis, leader dots).
    bool inLeaderRow(int i) const {
        int count = 1;
        int first = i;
        for (int dir : {-1, 1}) {
            int at = i;
            for (int steps = 0; steps < 64; ++steps) {
                const int next = neighbourInRow(at, dir);
                if (next < 0) break;
                at = next;
                ++count;
                if (dir < 0) first = at;
            }
        }
        return count >= 3 || (count == 2 && besideBaseline(boxes_.at(first)));
    }

    int neighbourInRow(int i, int dir) const {
        const Rect& m = boxes_.at(i);
        // Dots of a leader row are set about three dot widths apart, or wider.
        const int most = std::max(l_.leaderGapX, 3 * m.w());
        const int x0 = dir > 0 ? m.x1 : m.x0 - most - l_.markWidth;
        const int x1 = dir > 0 ? m.x1 + most + l_.markWidth : m.x0;
        int found = -1;
        boxes_.any(x0, m.y0 - l_.alignY - 1, x1, m.y1 + l_.alignY + 1, [&](int j) {
            const Rect& b = boxes_.at(j);
            const int gap = dir > 0 ? b.x0 - m.x1 : m.x0 - b.x1;
            if (j == i || gap < 1 || gap > most) return false;
            if (std::abs(b.bottom() - m.bottom()) > l_.alignY) return false;
            if (std::abs(b.w() - m.w()) > 1 || std::abs(b.h() - m.h()) > 1) return false;
            found = j;
            return true;
        });
        return found;
    }

    // The upper dot of a colon or semicolon: a dot or comma as wide as the mark lies
    // centred under it, and its head (as tall as the mark; a comma's tail hangs
    // below the baseline) stands beside a baseline.
    bool overAnotherMark(const Rect& m) const {
        const int gap = std::max(l_.colonGapY, 4 * m.h());
        return boxes_.any(m.x0 - 1, m.y1 + 1, m.x1 + 1, m.y1 + gap + 1, [&](int j) {
            const Rect& b = boxes_.at(j);
            if (b.y0 <= m.y1 || b.h() > 3 * m.h()) return false;
            const Rect head = inkOf({b.x0, b.y0, b.x1, std::min(b.y1, b.y0 + m.h())});
            return std::abs(head.w() - m.w()) <= 1 &&
                   std::abs((head.x0 + head.x1) - (m.x0 + m.x1)) <= 2 * l_.centreX &&
                   besideBaseline(head);
        });
    }

    PIX* pix_;
    const l_uint32* data_;
    int wpl_, width_, height_;
    const BoxIndex& boxes_;
    const SpeckLimits& l_;
};

}  // namespace

// A table, one limit a line scaled along its own axis: the lines are alike on purpose.
SpeckLimits speckLimitsFor(int xres, int yres) {
    SpeckLimits l;
    l.tinyWidth = scaled(2, xres, 1);
    l.tinyHeight = scaled(2, yres, 1);
    l.markWidth = scaled(3, xres, 3);
    l.markHeight = scaled(3, yres, 3);
    l.alignY = scaled(1, yres, 1);
    l.stopGapX = scaled(5, xres, 2);
    l.lineReachX = scaled(40, xres, 8);
    l.dotGapY = scaled(5, yres, 2);
    l.colonGapY = scaled(12, yres, 4);
    l.leaderGapX = scaled(8, xres, 3);
    l.centreX = scaled(1, xres, 1);
    l.serifY = scaled(2, yres, 1);
    l.xres = xres > 0 ? xres : static_cast<int>(kReferenceDpi);
    l.yres = yres > 0 ? yres : static_cast<int>(kReferenceDpi);
    return l;
}

BoxaPtr findSpecks(PIX* binary, const SpeckLimits& limits, std::vector<KeptDot>* kept) {
    if (!binary || pixGetDepth(binary) != 1) return nullptr;
    BoxaPtr all(pixConnCompBB(binary, 8));
    BoxaPtr specks(boxaCreate(0));
    if (!all || !specks) return nullptr;
    const int n = boxaGetCount(all.get());
    std::vector<Rect> rects;
    rects.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        l_int32 x = 0, y = 0, w = 0, h = 0;
        if (boxaGetBoxGeometry(all.get(), i, &x, &y, &w, &h) != 0) return nullptr;
        rects.push_back({x, y, x + w, y + h});
    }
    const BoxIndex index(std::move(rects), pixGetWidth(binary), pixGetHeight(binary));
    const SpeckJudge judge(binary, index, limits);
    for (int i = 0; i < index.size(); ++i) {
        const Rect& b = index.at(i);
        if (!judge.isMark(b)) continue;
        std::optional<DotRole> role;
        if (judge.touchesInk(b))
            role = DotRole::StrokePiece;
        else if (!judge.isTiny(b) && judge.looksPrinted(b))
            role = judge.roleInText(i);
        if (role) {
            if (kept) kept->push_back({b.x0, b.y0, b.w(), b.h(), *role});
            continue;
        }
        if (boxaAddBox(specks.get(), boxCreate(b.x0, b.y0, b.w(), b.h()), L_INSERT) != 0)
            return nullptr;
    }
    return specks;
}

}  // namespace leafmark::imaging
