#pragma once
// The pictures of the toolbar buttons, of the document-marker box and of the
// program: SVG files among the program's resources (src/app/icons and
// data/leafmark.svg). A button whose command has a standard picture in the
// desktop's icon theme shows that one, so the row matches the desktop.

#include <QIcon>

#include "app/MenuTable.h"

namespace leafmark::app {

constexpr int kPictureSize = 32;

// One of our pictures, icons/<name>.svg.
QIcon ownPicture(const char* name);
// The picture of a toolbar button: the theme's standard one when the entry names
// one and the theme has it, else ours.
QIcon toolbarIcon(const ToolbarEntry& entry);
// The document-marker box: the clear picture for Off, the ticked one for On.
QIcon documentMarkerIcon();
// The program's picture.
QIcon applicationIcon();

}  // namespace leafmark::app
