#pragma once
// Plausible office text for a sample page: letterhead lines, a heading, paragraphs
// of ordinary words and a closing, all drawn from a seeded generator.

#include <QString>
#include <vector>

#include "SeededRandom.h"

namespace leafmark::pagemaker {

struct TextBlock {
    enum Kind { ShortLine, Heading, Paragraph, Gap };
    Kind kind = Paragraph;
    QString text;
};

// The blocks of one page, top to bottom; often more than a page holds (the layout
// stops at the bottom margin, and the closing lines are then left out).
std::vector<TextBlock> makePageText(SeededRandom& random);

// Registers the DejaVu font files with Qt once, so pages use exactly these fonts
// whatever the machine's font configuration prefers. renderPage calls it; call it
// on the GUI thread first when pages are then drawn on other threads.
void loadPageFonts();

// A sentence of `words` ordinary words, capitalised, ending with a full stop.
QString makeSentence(SeededRandom& random, int words);

}  // namespace leafmark::pagemaker
