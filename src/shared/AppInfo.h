#pragma once
// Fixed texts of the program and its version (the version comes from the build).

#include <QString>

namespace leafmark {

// Title of every message box that names no title of its own.
inline const QString kAppTitle = QStringLiteral("Leafmark");

// Start of the main window caption: the program's name and two spaces.
inline const QString kCaptionPrefix = QStringLiteral("Leafmark  ");

struct Version {
    int major, minor, revision;
};

constexpr Version kVersion{LEAFMARK_VERSION_MAJOR, LEAFMARK_VERSION_MINOR, LEAFMARK_VERSION_PATCH};

}  // namespace leafmark
