#pragma once
// The text of the status strip under the page view, from plain facts about the
// page shown, so that it can be checked without a window.

#include <QString>
#include <QStringList>

#include "imaging/widget/PageView.h"
#include "pages/FolderMarks.h"
#include "shared/SharedState.h"

namespace leafmark::app {

struct StatusFacts {
    bool pageShown = false;     // a page has been shown (loaded or not)
    bool loaded = false;        // its pixels are held
    int index = -1;             // 0-based place in the folder list; -1 when not listed
    int count = 0;              // pages in the folder list
    DocumentPosition document;  // all zero when unknown
    imaging::SizeMode sizeMode = imaging::kSizeFitPage;  // the view's
    int windowmode = 1;                                  // the stored size mode (0 actual size)
    float zoomPercent = 100.0f;                          // the drawn scale
    int xResolution = 0, yResolution = 0;
    int format = 0, bitDepth = 0;  // stored compression code and bits per pixel
    bool documentMarker = false;   // the marker box is ticked
    bool changeMarker = false;     // the page's file carries "Changed"
    int modified = kUnmodified;
    bool damaged = false;
    QStringList findings;  // the check's findings on this page, a few words each
    QString proposal;      // separator sheets: what they say of this page or the folder
};

// "Page 7 of 40  |  Document 2, page 3 of 5  |  Fit 33%  |  300 dpi  |  Group 4, 1 bit
//  |  BOD  |  Changed  |  unsaved changes  |  damaged  |  check: ...  |  proposal"; empty before
//  any page.
QString statusText(const StatusFacts& f);

// Name of a stored compression code ("Group 4", "LZW", ...; "format N" for others).
QString formatName(int code);

}  // namespace leafmark::app
