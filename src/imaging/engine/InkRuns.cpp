#include "imaging/engine/InkRuns.h"

#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

namespace leafmark::imaging {
namespace {

// A group of connected runs; `parent` links it to the group it was merged into.
struct Group {
    int parent;
    int x0, x1, y0, y1;
    std::int64_t pixels;
};

int rootOf(std::vector<Group>& groups, int g) {
    while (groups[static_cast<std::size_t>(g)].parent != g) {
        Group& here = groups[static_cast<std::size_t>(g)];
        here.parent = groups[static_cast<std::size_t>(here.parent)].parent;  // path halving
        g = here.parent;
    }
    return g;
}

// Merges the groups of roots `a` and `b`; returns the root kept.
int merge(std::vector<Group>& groups, int a, int b) {
    if (a == b) return a;
    if (b < a) std::swap(a, b);
    Group& into = groups[static_cast<std::size_t>(a)];
    Group& from = groups[static_cast<std::size_t>(b)];
    from.parent = a;
    into.x0 = std::min(into.x0, from.x0);
    into.x1 = std::max(into.x1, from.x1);
    into.y0 = std::min(into.y0, from.y0);
    into.y1 = std::max(into.y1, from.y1);
    into.pixels += from.pixels;
    return a;
}

}  // namespace

void appendRowRuns(const l_uint32* line, int x0, int x1, std::vector<InkRun>& runs) {
    bool inRun = false;
    int start = 0;
    const int firstWord = x0 >> 5, lastWord = (x1 - 1) >> 5;
    for (int wi = firstWord; wi <= lastWord; ++wi) {
        l_uint32 v = line[wi];
        if (wi == firstWord && (x0 & 31)) v &= 0xffffffffu >> (x0 & 31);
        if (wi == lastWord && (x1 & 31)) v &= ~(0xffffffffu >> (x1 & 31));
        if (v == (inRun ? 0xffffffffu : 0u)) continue;
        const int base = wi << 5;
        for (int b = 0; b < 32;) {
            const l_uint32 rest = (inRun ? ~v : v) << b;
            if (!rest) break;
            b += std::countl_zero(rest);
            if (inRun)
                runs.push_back({start, base + b - 1});
            else
                start = base + b;
            inRun = !inRun;
        }
    }
    if (inRun) runs.push_back({start, x1 - 1});
}

namespace {

// Joins the runs of ink of the rectangle into groups (`groups`, with their links);
// returns the number of ink pixels. Buffers of runs are kept from call to call on
// each thread: fresh buffers of this size would cost a page fault per 4 KiB on every page.
std::int64_t groupRuns(PIX* bits, int left, int top, int width, int height,
                       std::vector<Group>& groups) {
    thread_local std::vector<InkRun> keptAbove, keptHere;
    thread_local std::vector<int> keptAboveGroups, keptHereGroups;
    std::vector<InkRun>&above = keptAbove, &here = keptHere;
    std::vector<int>&aboveGroups = keptAboveGroups, &hereGroups = keptHereGroups;
    std::int64_t all = 0;
    groups.clear();
    above.clear();
    const l_uint32* data = pixGetData(bits);
    const int wpl = pixGetWpl(bits);
    const int right = left + width;
    for (int y = top; y < top + height; ++y) {
        here.clear();
        appendRowRuns(data + static_cast<std::ptrdiff_t>(y) * wpl, left, right, here);
        hereGroups.resize(here.size());
        std::size_t next = 0;  // first run above that can still touch a run of this row
        for (std::size_t r = 0; r < here.size(); ++r) {
            const InkRun& run = here[r];
            int group = -1;
            // Runs above touch this one when they share a column or a corner.
            while (next < above.size() && above[next].last + 1 < run.first) ++next;
            for (std::size_t k = next; k < above.size() && above[k].first <= run.last + 1; ++k) {
                const int other = rootOf(groups, aboveGroups[k]);
                group = group < 0 ? other : merge(groups, group, other);
            }
            if (group < 0) {
                group = static_cast<int>(groups.size());
                groups.push_back({group, run.first, run.last, y, y, 0});
            }
            Group& g = groups[static_cast<std::size_t>(group)];
            g.x0 = std::min(g.x0, run.first);
            g.x1 = std::max(g.x1, run.last);
            g.y1 = y;
            g.pixels += run.last - run.first + 1;
            all += run.last - run.first + 1;
            hereGroups[r] = group;
        }
        std::swap(above, here);
        std::swap(aboveGroups, hereGroups);
    }
    return all;
}

}  // namespace

InkCount countInk(PIX* bits, int left, int top, int width, int height, int minWidth,
                  int minHeight) {
    InkCount out;
    if (!bits || pixGetDepth(bits) != 1 || width <= 0 || height <= 0) return out;
    thread_local std::vector<Group> groups;
    out.all = groupRuns(bits, left, top, width, height, groups);
    out.kept = out.all;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const Group& g = groups[i];
        if (g.parent == static_cast<int>(i) && g.x1 - g.x0 + 1 < minWidth &&
            g.y1 - g.y0 + 1 < minHeight)
            out.kept -= g.pixels;
    }
    return out;
}

std::vector<InkGroup> inkGroups(PIX* bits) {
    std::vector<InkGroup> out;
    if (!bits || pixGetDepth(bits) != 1) return out;
    thread_local std::vector<Group> groups;
    groupRuns(bits, 0, 0, static_cast<int>(pixGetWidth(bits)), static_cast<int>(pixGetHeight(bits)),
              groups);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const Group& g = groups[i];
        if (g.parent == static_cast<int>(i))
            out.push_back({g.x0, g.y0, g.x1 - g.x0 + 1, g.y1 - g.y0 + 1, g.pixels});
    }
    return out;
}

}  // namespace leafmark::imaging
