#include "imaging/separators/SeparatorSuggest.h"

namespace leafmark::imaging {

std::vector<SuggestedStart> suggestStarts(const std::vector<bool>& separator,
                                          const std::vector<PageMarks>& marks) {
    std::vector<SuggestedStart> starts;
    const int n = static_cast<int>(separator.size());
    for (int i = 1; i < n; ++i) {
        if (separator[i] || !separator[i - 1])
            continue;  // only the first page after a run of separators
        const PageMarks m = i < static_cast<int>(marks.size()) ? marks[i] : PageMarks{};
        starts.push_back({i, i - 1, m.documentMarker && m.endOfDocumentBefore});
    }
    return starts;
}

}  // namespace leafmark::imaging
