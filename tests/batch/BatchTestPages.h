#pragma once
// Small real TIFF pages for the batch tests, written with libtiff into a test's
// temporary folder, and readers for what a run wrote.

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <string>

namespace leafmark::testing {

struct TestPage {
    int width = 160;
    int height = 120;
    int xres = 300;  // 0 writes no resolution
    int yres = 300;
    bool allBlack = false;                // else white with a pattern that depends on `seed`
    int seed = 0;
    std::map<int, std::string> comments;  // TIFF tag -> text (270 slot 3, 272 slot 6)
};

// Writes a 1-bit, min-is-white, Group 4 page. Fails the test on error.
void writePage(const QString& path, const TestPage& page);
// Makes page 1's data run past the end of the file, as in a file cut short
// while it was copied: the page then reads only in part.
void makeDataRunPastTheEnd(const QString& path);
// Writes `text` as the whole file.
void writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes; empty when it cannot be read.
QByteArray fileBytes(const QString& path);
// Text of an ASCII tag of page 1; nullopt when the tag is absent or the file unreadable.
std::optional<std::string> tagText(const QString& path, int tag);

}  // namespace leafmark::testing
