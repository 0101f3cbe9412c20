// leafmark-docs-bench [--pages N] [--export-pages M] [--reps R]
// Lists and checks a folder of N Group 4 pages with document markers and
// end-of-document files (markers read from the files), beside the floor of
// readdir plus libtiff opening each file's first directory; then exports the
// first M pages to one multi-page TIFF beside tiffcp of the same pages.

#include <dirent.h>
#include <tiffio.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include "BenchHarness.h"
#include "imaging/engine/TiffJoin.h"
#include "pagemaker/PageMaker.h"
#include "pages/Documents.h"

using namespace leafmark;
using namespace leafmark::bench;

namespace {

int option(const QStringList& args, const QString& name, int fallback) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].toInt() : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pages = option(args, QStringLiteral("--pages"), 10000);
    const int exportPages = std::min(pages, option(args, QStringLiteral("--export-pages"), 500));
    const int reps = std::max(1, option(args, QStringLiteral("--reps"), 3));
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);

    // A few distinct made pages, copied round the folder; about one in four starts a document.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("box"));
    QDir().mkpath(folder);
    pagemaker::FolderOptions options;
    options.kind = pagemaker::PageKind::Group4;
    std::vector<QByteArray> plain, marked;
    for (int i = 1; i <= 8; ++i) {
        pagemaker::PageSpec spec = pagemaker::folderPageSpec(options, i);
        const QString path = dir.filePath(QStringLiteral("t.tif"));
        spec.description.clear();
        pagemaker::makePageFile(spec, path);
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        plain.push_back(f.readAll());
        f.close();
        spec.description = "BOD";
        pagemaker::makePageFile(spec, path);
        f.open(QIODevice::ReadOnly);
        marked.push_back(f.readAll());
    }
    std::vector<std::string> files;
    for (int i = 1; i <= pages; ++i) {
        const bool starts = i == 1 || i % 4 == 1;
        const QString name = pagemaker::pageFileName(i);
        QFile f(folder + QLatin1Char('/') + name);
        f.open(QIODevice::WriteOnly);
        f.write((starts ? marked : plain)[static_cast<std::size_t>(i % 8)]);
        files.push_back(QFile::encodeName(f.fileName()).toStdString());
        if (i > 1 && starts) {
            QFile eod(folder + QLatin1Char('/') + pagemaker::pageFileName(i - 1).chopped(4) +
                      QStringLiteral("ZZZ.EOD"));
            eod.open(QIODevice::WriteOnly);
            eod.write("EOD\r\n");
        }
    }

    Table table;
    table.section("list and check a folder of " + std::to_string(pages) + " Group 4 pages, " +
                  std::to_string(reps) + " runs each (warm cache)");
    int documents = 0, findings = 0;
    const Timing ours = measure(reps, [&](int) {
        const FolderDocuments d = FolderDocuments::read(folder);
        documents = static_cast<int>(d.documents().size());
        findings = static_cast<int>(d.findings().size());
    });
    const std::string folderBytes = QFile::encodeName(folder).toStdString();
    int opened = 0;
    const Timing floor = measure(reps, [&](int) {
        opened = 0;
        DIR* d = ::opendir(folderBytes.c_str());
        while (const dirent* e = ::readdir(d)) {
            if (e->d_name[0] == '.' || !std::strstr(e->d_name, ".tif")) continue;  // pages only
            if (TIFF* t = TIFFOpen((folderBytes + "/" + e->d_name).c_str(),
                                   "rm")) {  // no mapping, as the program reads
                ++opened;
                TIFFClose(t);
            }
        }
        ::closedir(d);
    });
    table.row("FolderDocuments::read", ours, "readdir + TIFFOpen \"rm\"", floor);
    table.note(std::to_string(documents) + " documents, " + std::to_string(findings) +
               " findings, " + std::to_string(opened) + " files opened by the floor");

    if (exportPages <= 0) return 0;
    table.section("export " + std::to_string(exportPages) + " pages to one multi-page TIFF, " +
                  std::to_string(reps) + " runs each");
    const std::vector<std::string> some(files.begin(), files.begin() + exportPages);
    const std::string joined =
        QFile::encodeName(dir.filePath(QStringLiteral("joined.tif"))).toStdString();
    const Timing join = measure(reps, [&](int) { imaging::joinPagesToTiff(some, joined, true); });
    QStringList tiffcpArgs;
    for (const std::string& f : some) tiffcpArgs << QFile::decodeName(f.c_str());
    tiffcpArgs << dir.filePath(QStringLiteral("tiffcp.tif"));
    const Timing copy = measure(reps, [&](int) {
        QFile::remove(dir.filePath(QStringLiteral("tiffcp.tif")));
        QProcess::execute(QStringLiteral("tiffcp"), tiffcpArgs);
    });
    table.row("joinPagesToTiff", join, "tiffcp", copy);
    table.note("sizes: " + std::to_string(QFile(QString::fromStdString(joined)).size()) +
               " bytes joined, " +
               std::to_string(QFile(dir.filePath(QStringLiteral("tiffcp.tif"))).size()) +
               " bytes by tiffcp");
    return 0;
}
