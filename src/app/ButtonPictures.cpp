#include "app/ButtonPictures.h"

// Outside any namespace, as the resource system requires.
static void registerPictures() { Q_INIT_RESOURCE(pictures); }

namespace leafmark::app {

namespace {
// The resource path of one of our pictures. The pictures live in a static
// library, whose resources are registered on first use rather than at start-up.
QString picture(const char* name) {
    static const bool registered = (registerPictures(), true);
    (void)registered;
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
}
}  // namespace

QIcon ownPicture(const char* name) { return QIcon(picture(name)); }

QIcon toolbarIcon(const ToolbarEntry& entry) {
    const QIcon ours = ownPicture(entry.picture);
    return entry.themeIcon ? QIcon::fromTheme(QLatin1String(entry.themeIcon), ours) : ours;
}

QIcon documentMarkerIcon() {
    QIcon icon;
    icon.addFile(picture("document-start-off"), QSize(), QIcon::Normal, QIcon::Off);
    icon.addFile(picture("document-start-on"), QSize(), QIcon::Normal, QIcon::On);
    return icon;
}

QIcon applicationIcon() { return ownPicture("leafmark"); }

}  // namespace leafmark::app
