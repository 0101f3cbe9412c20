#pragma once
// The main program's own options: --help and --version print and end the
// program before any window is made. Every other argument is a page path.

#include <QString>

#include "app/AppLocation.h"

namespace leafmark::app {

enum class InfoRequest { None, Help, Version };

// What the first argument asks for: "-h"/"--help", "--version", or nothing
// (no argument, or a page path).
InfoRequest infoRequestOf(int argc, const char* const* argv);

// `leafmark --help`: usage, options, and where the settings file and the help
// document of the program at `location` are.
QString usageText(const AppLocation& location);

// `leafmark --version`: "leafmark major.minor.revision".
QString versionText();

}  // namespace leafmark::app
