#pragma once
// Whether a page file may be replaced. Saves write a new file and rename it over
// the old one, which the folder's permissions alone would allow; a file the user
// has protected against writing must still never be replaced.

#include <string>

namespace leafmark::imaging {

// True when `path` names an existing file that the running user may not write:
// the file refuses write access to this user, or its mode grants writing to no one
// (so a read-only file is protected even from a user who could override it).
// False when the file does not exist.
bool isWriteProtected(const std::string& path);

// The reason text for a refused write-protected file, naming it.
std::string writeProtectedText(const std::string& path);

}  // namespace leafmark::imaging
