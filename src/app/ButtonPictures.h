#pragma once
// The 32 x 32 pictures of the toolbar buttons and of the document-marker box,
// drawn in code so that the program carries no image files of others.

#include <QIcon>
#include <QPixmap>

namespace leafmark::app {

constexpr int kPictureSize = 32;

// The picture of toolbar button `index`; a null pixmap for an index without a button.
QPixmap toolbarPicture(int index);
// The document-marker box: `down` is the ticked state's picture.
QPixmap documentMarkerPicture(bool down);
// The box's icon, with the up picture for Off and the down picture for On.
QIcon documentMarkerIcon();
// The application's icon, drawn at `size` pixels square.
QPixmap applicationPicture(int size);

}  // namespace leafmark::app
