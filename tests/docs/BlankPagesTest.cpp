// Blank pages: the ink share with margins and specks set aside, on made pages
// at 300 dpi and at fax resolution (204 x 196 dpi).

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "imaging/engine/InkShare.h"
#include "imaging/engine/PageEngine.h"
#include "pagemaker/PageMaker.h"

using namespace leafmark;
using pagemaker::PageKind;

namespace {

// Ink share of a made page, read back from its file as the tools read it.
double measure(const QTemporaryDir& dir, PageKind kind, int textLines, int specks, bool border,
               std::uint64_t seed) {
    pagemaker::PageSpec spec;
    spec.kind = kind;
    spec.seed = seed;
    spec.angle = 0.7;
    spec.textLines = textLines;
    spec.specks = specks;
    spec.border = border;
    const QString path = dir.filePath(QStringLiteral("page.tif"));
    EXPECT_TRUE(pagemaker::makePageFile(spec, path));
    imaging::PageEngine engine;
    EXPECT_TRUE(engine.LoadPage(path.toStdString()).ok());
    return imaging::inkSharePercent(engine.pix(), engine.XResolution(), engine.YResolution());
}

}  // namespace

TEST(BlankPages, BlankSpeckedAndEdgeShadowedSheetsAreBlankOneLineOfTextIsNot) {
    QTemporaryDir dir;
    for (PageKind kind : {PageKind::Group4, PageKind::Fax, PageKind::Gray}) {
        for (std::uint64_t seed : {3u, 40u}) {
            SCOPED_TRACE(std::string(pagemaker::kindName(kind)) + " seed " + std::to_string(seed));
            const double clean = measure(dir, kind, 0, 0, false, seed);
            const double specked = measure(dir, kind, 0, 200, false, seed);
            const double shadowed = measure(dir, kind, 0, 40, true, seed);
            const double oneLine = measure(dir, kind, 1, 40, true, seed);
            const double full = measure(dir, kind, -1, 4, false, seed);
            EXPECT_TRUE(imaging::isBlank(clean));
            EXPECT_TRUE(imaging::isBlank(specked));
            EXPECT_TRUE(imaging::isBlank(shadowed));
            EXPECT_FALSE(imaging::isBlank(oneLine));
            EXPECT_FALSE(imaging::isBlank(full));
        }
    }
}
