#pragma once
// Manual pages from a small Markdown source, for the man viewer (roff with the
// man macros). The source is what a reader of the checkout sees; the page is
// made from it at build time.
//
// Source form:
//   # name(1) -- one-line summary        title line, first in the file
//   ## SECTION                           a section (.SH); ### a subsection (.SS)
//   text lines                           a paragraph; a blank line ends it;
//                                        a line ending in "\" breaks the line there
//   **TERM**                             a tagged paragraph (.TP): the term line,
//   :   text                             then its description
//   - item                               a bulleted item
//   ```                                  lines shown as written, until the next ```
// Inline: **bold**, *italic*, `literal` (bold).

#include <string>

namespace leafmark::manpage {

// The roff text of the manual page written in `markdown`; `source` names
// the program's release in the page footer ("Leafmark 1.1.1016"). On a
// source without a title line, returns "" and sets `error`.
std::string toRoff(const std::string& markdown, const std::string& source, std::string* error);

}  // namespace leafmark::manpage
