#pragma once
// Document starts proposed from separator sheets: the first page after a run of
// separator pages begins a document. Each proposed start is compared with the
// markers already on disk. Pure: no files, no Qt.

#include <vector>

namespace leafmark::imaging {

// The markers a page carries on disk.
struct PageMarks {
    bool documentMarker = false;       // "BOD" in the page's document marker slot
    bool endOfDocumentBefore = false;  // the page before it has an end-of-document file
};

struct SuggestedStart {
    int page = 0;       // index of the page proposed to begin a document
    int separator = 0;  // index of the separator page just before it
    // The markers on disk already make this page a document start exactly as a
    // save with the document marker would (marker set, and the end-of-document
    // file of the page before present): applying it changes nothing.
    bool agrees = false;
};

// `separator[i]` says whether page i is a separator; `marks[i]` are page i's
// markers (missing entries count as no markers). In page order.
std::vector<SuggestedStart> suggestStarts(const std::vector<bool>& separator,
                                          const std::vector<PageMarks>& marks);

}  // namespace leafmark::imaging
