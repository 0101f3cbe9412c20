// leafmark-pagemaker: writes a folder of sample scanned pages and their manifest.
//   leafmark-pagemaker --out DIR [--seed N] [--pages K] [--kind g4|gray|colour|fax|mixed]
//                      [--angle DEGREES] [--no-marks]

#include "PageMaker.h"
#include "cli/CommandLine.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>

using namespace leafmark::pagemaker;

namespace {

int usageError(const QCommandLineParser& parser, const QString& text) {
    std::fprintf(stderr, "leafmark-pagemaker: %s\n\n%s", qPrintable(text), qPrintable(parser.helpText()));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Pages are drawn off screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes sample scanned pages 00000001.tif, 00000002.tif, ... and pages.tsv into a folder."));
    parser.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Shows the version and exits."));
    parser.addOption(version);
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Folder to write into."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed (default 1)."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption pages(QStringLiteral("pages"), QStringLiteral("Number of pages (default 12)."),
                                   QStringLiteral("K"), QStringLiteral("12"));
    const QCommandLineOption kind(QStringLiteral("kind"),
                                  QStringLiteral("g4, gray, colour, fax or mixed (default mixed)."),
                                  QStringLiteral("KIND"), QStringLiteral("mixed"));
    const QCommandLineOption angle(QStringLiteral("angle"),
                                   QStringLiteral("Skew of every page in degrees, clockwise positive "
                                                  "(default: seeded, -5 to 5)."),
                                   QStringLiteral("DEGREES"));
    const QCommandLineOption noMarks(QStringLiteral("no-marks"),
                                     QStringLiteral("Write no \"BOD\" document markers."));
    parser.addOptions({out, seed, pages, kind, angle, noMarks});
    if (!parser.parse(app.arguments())) return usageError(parser, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        std::fputs("\nExit status: 0 the folder was written; 1 writing failed; 2 bad arguments.\n", stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s\n", leafmark::cli::versionLine("leafmark-pagemaker").c_str());
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(parser, QStringLiteral("Unexpected argument %1.").arg(parser.positionalArguments().first()));
    if (!parser.isSet(out) || parser.value(out).isEmpty())
        return usageError(parser, QStringLiteral("--out DIR is required."));

    FolderOptions options;
    bool ok = false;
    options.seed = parser.value(seed).toULongLong(&ok);
    if (!ok) return usageError(parser, QStringLiteral("--seed needs a whole number >= 0."));
    options.pages = parser.value(pages).toInt(&ok);
    if (!ok || options.pages < 1 || options.pages > 100000)
        return usageError(parser, QStringLiteral("--pages needs a number from 1 to 100000."));
    if (parser.value(kind).compare(QLatin1String("mixed"), Qt::CaseInsensitive) != 0) {
        options.kind = kindFromName(parser.value(kind));
        if (!options.kind) return usageError(parser, QStringLiteral("Unknown --kind %1.").arg(parser.value(kind)));
    }
    if (parser.isSet(angle)) {
        const auto degrees = leafmark::cli::finiteNumber(parser.value(angle).toStdString());
        const double a = degrees.value_or(0.0);
        if (!degrees || a < -45 || a > 45)
            return usageError(parser, QStringLiteral("--angle needs degrees from -45 to 45."));
        options.angle = a;
    }
    options.markDocuments = !parser.isSet(noMarks);

    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!makeFolder(parser.value(out), options, nullptr, &error)) {
        std::fprintf(stderr, "leafmark-pagemaker: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("Wrote %d pages and %s into %s in %.1f s\n", options.pages, kManifestName,
                qPrintable(parser.value(out)), static_cast<double>(timer.elapsed()) / 1000.0);
    return 0;
}
