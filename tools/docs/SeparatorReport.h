#pragma once
// What leafmark-docs --suggest prints: the separator pages with what was read on
// them and the document starts they propose (agreeing with the markers on disk, or
// proposed); and --apply, which writes the proposed starts and reports each file
// it changes. Text lines or JSON lines.

#include <cstdio>

#include "pages/SeparatorFolder.h"

namespace leafmark::docs {

// Lines for the separator pages, the pages that could not be read and the starts.
void printSuggestions(std::FILE* out, const FolderSeparators& found, bool json);

// Applies every start that does not agree yet, in page order, printing a line per
// file written on `out` and a message per start that failed on `err`. Returns the
// number of starts that failed.
int applySuggestions(std::FILE* out, std::FILE* err, const FolderSeparators& found, bool json);

}  // namespace leafmark::docs
