// leafmark-pagemaker: writes a folder of sample scanned pages and their manifest.
//   leafmark-pagemaker --out DIR [--seed N] [--pages K] [--kind g4|gray|colour|fax|mixed]
//                      [--angle DEGREES] [--no-marks]

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

#include "PageMaker.h"
#include "cli/CommandLine.h"

using namespace leafmark::pagemaker;

namespace {

const char* const kUsage =
    "usage: leafmark-pagemaker --out DIR [--seed N] [--pages K] [--kind KIND] [--angle DEGREES] "
    "[--no-marks]\n";

const char* const kHelp =
    "Writes sample scanned pages 00000001.tif, 00000002.tif, ... and pages.tsv into a folder.\n"
    "\n"
    "  --out DIR          folder to write into\n"
    "  --seed N           seed (default 1)\n"
    "  --pages K          number of pages, 1 to 100000 (default 12)\n"
    "  --kind KIND        g4, gray, colour, fax or mixed (default mixed)\n"
    "  --angle DEGREES    skew of every page in degrees, clockwise positive\n"
    "                     (default: seeded, -5 to 5)\n"
    "  --no-marks         write no \"BOD\" document markers\n"
    "  -h, --help         show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Exit status: 0 the folder was written; 1 writing failed; 2 bad arguments.\n";

int usageError(const std::string& text) {
    std::fprintf(stderr, "leafmark-pagemaker: %s\n%s", text.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    leafmark::cli::CommandLine line({{"out", 0, true},
                                     {"seed", 0, true},
                                     {"pages", 0, true},
                                     {"kind", 0, true},
                                     {"angle", 0, true},
                                     {"no-marks", 0, false}});
    if (!line.parse(argc, argv)) return usageError(line.error());
    if (line.has("help")) {
        std::printf("%s%s", kUsage, kHelp);
        return 0;
    }
    if (line.has("version")) {
        std::printf("%s\n", leafmark::cli::versionLine("leafmark-pagemaker").c_str());
        return 0;
    }
    if (!line.positional().empty())
        return usageError("unexpected argument " + line.positional().front());
    const QString out = QString::fromLocal8Bit(line.value("out").value_or(std::string()));
    if (out.isEmpty()) return usageError("--out DIR is required");

    FolderOptions options;
    bool ok = false;
    options.seed = QString::fromStdString(line.value("seed").value_or("1")).toULongLong(&ok);
    if (!ok) return usageError("--seed needs a whole number >= 0");
    options.pages = QString::fromStdString(line.value("pages").value_or("12")).toInt(&ok);
    if (!ok || options.pages < 1 || options.pages > 100000)
        return usageError("--pages needs a number from 1 to 100000");
    const QString kind = QString::fromStdString(line.value("kind").value_or("mixed"));
    if (kind.compare(QLatin1String("mixed"), Qt::CaseInsensitive) != 0) {
        options.kind = kindFromName(kind);
        if (!options.kind) return usageError("unknown --kind " + kind.toStdString());
    }
    if (const auto angle = line.value("angle")) {
        const auto degrees = leafmark::cli::finiteNumber(*angle);
        if (!degrees || *degrees < -45 || *degrees > 45)
            return usageError("--angle needs degrees from -45 to 45");
        options.angle = *degrees;
    }
    options.markDocuments = !line.has("no-marks");

    // Pages are drawn off screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!makeFolder(out, options, nullptr, &error)) {
        std::fprintf(stderr, "leafmark-pagemaker: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("Wrote %d pages and %s into %s in %.1f s\n", options.pages, kManifestName,
                qPrintable(out), static_cast<double>(timer.elapsed()) / 1000.0);
    return 0;
}
