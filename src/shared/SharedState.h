#pragma once
// The state shared by the main window and the batch window for the whole run.
// One object is made at start-up and passed by reference; tests make their own.

#include <QHash>
#include <QString>
#include <cstdint>

namespace leafmark {

// The values of SharedState::modified.
constexpr std::int16_t kUnmodified = 0;     // nothing unsaved
constexpr std::int16_t kImageEdited = 1;    // the image was turned or white-filled
constexpr std::int16_t kMarkerChanged = 2;  // only the document marker was changed with the mouse

struct SharedState {
    QString captionprefix;  // start of the main window caption, "Leafmark  "
    QString apppath;        // the program's folder, ending with one separator
    QString inifile;        // full path of the settings file
    QString folderpath;     // the page folder; may end with a separator once a save ran
    QString currentfile;    // full path of the page shown, formed only by display
    std::int16_t modified = kUnmodified;
    std::int32_t magfactor = 100;  // magnification percent of the actual-size view
    std::int16_t windowmode = 1;   // 0 actual size, 1 fit whole page, 2 fit width
    std::int16_t bitonalmode = 0;  // 0 scale to gray, 1 favor black, 2 normal
    std::int16_t stopflag = 0;     // 1 = ESC pressed in the batch window
    // The batch window's "current folder" of each volume (key: volume root), one map
    // per folder list: the folder last opened on that volume in that list.
    QHash<QString, QString> batchSourceFolders;
    QHash<QString, QString> batchOutputFolders;
};

}  // namespace leafmark
