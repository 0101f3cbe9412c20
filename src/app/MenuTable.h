#pragma once
// The main window's commands and the one table from which its menu tree and its
// toolbar row are built: item name, caption, parent, command, initial states.

#include <QString>
#include <optional>
#include <span>

namespace leafmark::app {

// Every routine a menu item or a toolbar button can run. None: a menu title,
// a submenu or a separator.
enum class Command {
    None,
    Open,
    First,
    Prior,
    Next,
    Last,
    Save,
    SaveAs,
    Revert,
    Process,
    Exit,
    RotateClockwise,
    RotateUpside,
    RotateAntiClockwise,
    Invert,
    WhiteFill,
    ActualSize,
    Fit,
    FitWidth,
    Magnification,
    ZoomIn,
    ZoomOut,
    ScaleToGray,
    Normal,
    FavorBlack,
    Help,
    About,
    SaveAndNext,
};

// Every item of the menu tree, in the order of the table; each is named after
// its item name (mnuOpen: Open, dash5: Dash5).
enum class MenuItem {
    File,
    Open,
    First,
    Prior,
    Next,
    Last,
    Dash5,
    Save,
    SaveAs,
    Dash66,
    Revert,
    Dash88,
    Process,
    Dash67,
    Exit,
    Edit,
    Rotate,
    Rotate90,
    Rotate180,
    Rotate270,
    Invert,
    WhiteOut,
    View,
    ActualSize,
    Fit,
    FitWidth,
    MagFactor,
    Dash1,
    ZoomIn,
    ZoomOut,
    Dash2,
    Bitonal,
    ScaletoGray,
    Normal,
    FavorBlack,
    Help,
    Help2,
    About,
};
constexpr int kMenuItemCount = static_cast<int>(MenuItem::About) + 1;

struct MenuEntry {
    MenuItem item;
    const char* name;                // item name, e.g. "mnuOpen"
    const char* caption;             // "-" is a separator line
    std::optional<MenuItem> parent;  // none for the menu bar's titles
    Command command;
    bool enabled;  // after start-up
    bool checkable;
    bool checked;  // after start-up
};

struct ToolbarEntry {
    int index;
    const char* tooltip;
    Command command;
    bool enabled;           // after start-up
    const char* picture;    // our picture, icons/<picture>.svg
    const char* themeIcon;  // the standard icon name of the command; nullptr when none fits
};

// The menu tree in order: each entry follows its parent and its earlier siblings;
// entry i is the one of MenuItem i.
std::span<const MenuEntry> menuTable();
// The toolbar buttons by index (1, 3..9, 16..19, 21, 22).
std::span<const ToolbarEntry> toolbarTable();

// The table entry of a toolbar index; nullptr when no button has that index.
const ToolbarEntry* toolbarEntry(int index);

inline const QString kDocumentMarkerTooltip = QStringLiteral("Beginning of Document");

}  // namespace leafmark::app
