// leafmark-docs FOLDER [--check] [--json] [--export DIR --format tiff|pdf] [--force]
//               [--blank-threshold PERCENT]
// Lists the documents the markers of a page folder define (first and last page,
// page count, blank pages), the findings of the marker check, and exports each
// document into one multi-page TIFF or PDF file.
// Exit status: 0 no findings and every export written; 1 findings, or an export
// that failed; 2 bad arguments or a folder that cannot be read.

#include "DocsReport.h"

#include "imaging/engine/InkShare.h"
#include "shared/AppInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

using namespace leafmark;

namespace {

int usageError(const QCommandLineParser& parser, const QString& text) {
    std::fprintf(stderr, "leafmark-docs: %s\n\n%s", qPrintable(text), qPrintable(parser.helpText()));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("leafmark-docs"));
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(kVersion.major).arg(kVersion.minor).arg(kVersion.revision));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the documents that the markers of a page folder define, checks the markers, and exports "
        "each document into one file.\nExit status: 1 when the check finds anything or an export fails."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The page folder."));
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Only check the markers: print the findings, no documents."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON lines."));
    const QCommandLineOption exportDir(QStringLiteral("export"),
                                       QStringLiteral("Write one file per document into DIR."), QStringLiteral("DIR"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("tiff or pdf (default tiff)."),
                                    QStringLiteral("FORMAT"), QStringLiteral("tiff"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Replace existing output files."));
    const QCommandLineOption threshold(
        QStringLiteral("blank-threshold"),
        QStringLiteral("A page with less ink than PERCENT of its area inside the margins is blank (default %1).")
            .arg(imaging::kBlankThresholdPercent),
        QStringLiteral("PERCENT"));
    parser.addOptions({check, json, exportDir, format, force, threshold});
    if (!parser.parse(app.arguments())) return usageError(parser, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("leafmark-docs %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) return usageError(parser, QStringLiteral("Give exactly one FOLDER."));
    const QString folder = args.first();
    if (!QFileInfo(folder).isDir()) return usageError(parser, QStringLiteral("No such folder: ") + folder);

    double blankThreshold = imaging::kBlankThresholdPercent;
    if (parser.isSet(threshold)) {
        bool ok = false;
        blankThreshold = parser.value(threshold).toDouble(&ok);
        if (!ok || blankThreshold < 0 || blankThreshold > 100)
            return usageError(parser, QStringLiteral("--blank-threshold needs a percentage from 0 to 100."));
    }
    docs::ExportFormat exportFormat = docs::ExportFormat::Tiff;
    const QString formatName = parser.value(format).toLower();
    if (formatName == QLatin1String("pdf")) exportFormat = docs::ExportFormat::Pdf;
    else if (formatName != QLatin1String("tiff") && formatName != QLatin1String("tif"))
        return usageError(parser, QStringLiteral("--format is tiff or pdf."));
    if ((parser.isSet(format) || parser.isSet(force)) && !parser.isSet(exportDir))
        return usageError(parser, QStringLiteral("--format and --force go with --export DIR."));
    QString target;
    if (parser.isSet(exportDir)) {
        target = parser.value(exportDir);
        if (target.isEmpty()) return usageError(parser, QStringLiteral("--export needs a folder."));
        if (!QDir().mkpath(target)) return usageError(parser, QStringLiteral("Cannot make the folder ") + target);
        // Files named after the pages would land beside them, and --force would replace a page.
        if (QFileInfo(target).canonicalFilePath() == QFileInfo(folder).canonicalFilePath())
            return usageError(parser, QStringLiteral("--export DIR must not be the page folder."));
    }

    const FolderDocuments documents = FolderDocuments::read(folder);
    const bool asJson = parser.isSet(json);
    if (!parser.isSet(check)) {
        const QList<double> ink = docs::measureInk(documents);
        docs::printDocuments(stdout, documents, ink, blankThreshold, asJson);
    }
    docs::printFindings(stdout, documents, asJson);
    int failed = 0;
    if (!target.isEmpty()) failed = docs::exportDocuments(documents, target, exportFormat, parser.isSet(force), asJson);
    std::fflush(stdout);
    return documents.findings().isEmpty() && failed == 0 ? 0 : 1;
}
