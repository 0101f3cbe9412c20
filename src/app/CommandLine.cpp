#include "app/CommandLine.h"

#include <cstring>

#include "shared/AppInfo.h"

namespace leafmark::app {

InfoRequest infoRequestOf(int argc, const char* const* argv) {
    if (argc < 2 || !argv[1]) return InfoRequest::None;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)
        return InfoRequest::Help;
    if (std::strcmp(argv[1], "--version") == 0) return InfoRequest::Version;
    return InfoRequest::None;
}

QString usageText(const AppLocation& location) {
    return QStringLiteral(
               "Usage: leafmark [PAGE]\n"
               "       leafmark --help | --version\n"
               "\n"
               "Shows the scanned TIFF pages of a folder for checking, correcting and marking\n"
               "where each document begins. Without PAGE the main window opens empty. With\n"
               "PAGE it opens that page and the page's folder becomes the page sequence; when\n"
               "Leafmark already runs for this user, the page is handed to the running window.\n"
               "\n"
               "Options:\n"
               "  -h, --help     print this help and exit\n"
               "      --version  print the version and exit\n"
               "\n"
               "Settings file: %1\n"
               "  It is %2 when the program's folder can be written to\n"
               "  or that file exists; otherwise $XDG_CONFIG_HOME/leafmark/leafmark.ini\n"
               "  (~/.config/leafmark/leafmark.ini when XDG_CONFIG_HOME is not set).\n"
               "Help document: %3\n")
        .arg(location.settingsFile(), location.besideSettingsFile(), location.helpDocument());
}

QString versionText() {
    return QStringLiteral("leafmark %1.%2.%3\n")
        .arg(kVersion.major)
        .arg(kVersion.minor)
        .arg(kVersion.revision);
}

}  // namespace leafmark::app
