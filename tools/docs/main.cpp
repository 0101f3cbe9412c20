// leafmark-docs FOLDER [--check] [--json] [--export DIR --format tiff|pdf] [--force]
//               [--blank-threshold PERCENT] [--drop-separators]
// leafmark-docs FOLDER --suggest [--apply] [--separators barcode|blank|both]
//               [--pattern REGEX] [--symbologies LIST] [--json] [--check] [--export DIR ...]
// Lists the documents the markers of a page folder define (first and last page,
// page count, blank pages), the findings of the marker check, and exports each
// document into one multi-page TIFF or PDF file. --suggest lists the separator
// sheets and the document starts they propose instead of the documents; --apply
// writes the proposed starts before anything else is checked or exported.
// Exit status: 0 no findings and every export written; 1 findings, an export
// that failed, a page that could not be read for separators or a start that
// could not be written; 2 bad arguments or a folder that cannot be read.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "DocsReport.h"
#include "SeparatorReport.h"
#include "imaging/engine/InkShare.h"
#include "pages/SeparatorFolder.h"
#include "shared/AppInfo.h"

using namespace leafmark;

namespace {

int usageError(const QCommandLineParser& parser, const QString& text) {
    std::fprintf(stderr, "leafmark-docs: %s\n\n%s", qPrintable(text),
                 qPrintable(parser.helpText()));
    return 2;
}

// The folder's pages, in the documents' page order, read for separator sheets.
FolderSeparators readSeparators(const FolderDocuments& documents, imaging::Symbologies set,
                                const imaging::SeparatorRule& rule) {
    QStringList entries;
    for (const DocumentPage& p : documents.pages()) entries << p.name;
    return findSeparators(documents.folder(), entries,
                          readSeparatorPages(documents.folder(), entries, set), rule);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("leafmark-docs"));
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(kVersion.major).arg(kVersion.minor).arg(kVersion.revision));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the documents that the markers of a page folder define, checks the "
                       "markers, and exports "
                       "each document into one file.\nExit status: 1 when the check finds anything "
                       "or an export fails."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The page folder."));
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("Only check the markers: print the findings, no documents."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON lines."));
    const QCommandLineOption exportDir(QStringLiteral("export"),
                                       QStringLiteral("Write one file per document into DIR."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("tiff or pdf (default tiff)."),
                                    QStringLiteral("FORMAT"), QStringLiteral("tiff"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace existing output files."));
    const QCommandLineOption threshold(
        QStringLiteral("blank-threshold"),
        QStringLiteral("A page with less ink than PERCENT of its area inside the margins is blank "
                       "(default %1).")
            .arg(imaging::kBlankThresholdPercent),
        QStringLiteral("PERCENT"));
    const QCommandLineOption suggest(
        QStringLiteral("suggest"),
        QStringLiteral("List the separator sheets and the document starts they propose."));
    const QCommandLineOption apply(
        QStringLiteral("apply"),
        QStringLiteral("With --suggest: write the proposed starts (document marker on the "
                       "starting page, end-of-document file for the page before)."));
    const QCommandLineOption kinds(
        QStringLiteral("separators"),
        QStringLiteral("Which pages are separators: barcode, blank or both (default barcode)."),
        QStringLiteral("KINDS"));
    const QCommandLineOption pattern(
        QStringLiteral("pattern"),
        QStringLiteral(
            "A page is a barcode separator when a barcode's whole text matches REGEX (default: any "
            "barcode on an otherwise nearly blank page)."),
        QStringLiteral("REGEX"));
    const QCommandLineOption symbologies(
        QStringLiteral("symbologies"),
        QStringLiteral("Barcode types to read, comma-separated, or all (default %1).")
            .arg(QString::fromStdString(imaging::symbologyNames(imaging::defaultSymbologies()))),
        QStringLiteral("LIST"));
    const QCommandLineOption dropSeparators(
        QStringLiteral("drop-separators"),
        QStringLiteral("With --export: leave the separator sheets out."));
    parser.addOptions({check, json, exportDir, format, force, threshold, suggest, apply, kinds,
                       pattern, symbologies, dropSeparators});
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
    if (!QFileInfo(folder).isDir())
        return usageError(parser, QStringLiteral("No such folder: ") + folder);

    double blankThreshold = imaging::kBlankThresholdPercent;
    if (parser.isSet(threshold)) {
        bool ok = false;
        blankThreshold = parser.value(threshold).toDouble(&ok);
        if (!ok || blankThreshold < 0 || blankThreshold > 100)
            return usageError(
                parser, QStringLiteral("--blank-threshold needs a percentage from 0 to 100."));
    }
    docs::ExportFormat exportFormat = docs::ExportFormat::Tiff;
    const QString formatName = parser.value(format).toLower();
    if (formatName == QLatin1String("pdf"))
        exportFormat = docs::ExportFormat::Pdf;
    else if (formatName != QLatin1String("tiff") && formatName != QLatin1String("tif"))
        return usageError(parser, QStringLiteral("--format is tiff or pdf."));
    if ((parser.isSet(format) || parser.isSet(force)) && !parser.isSet(exportDir))
        return usageError(parser, QStringLiteral("--format and --force go with --export DIR."));
    if (parser.isSet(apply) && !parser.isSet(suggest))
        return usageError(parser, QStringLiteral("--apply goes with --suggest."));
    if (parser.isSet(dropSeparators) && !parser.isSet(exportDir))
        return usageError(parser, QStringLiteral("--drop-separators goes with --export DIR."));
    const bool separators = parser.isSet(suggest) || parser.isSet(dropSeparators);
    if ((parser.isSet(kinds) || parser.isSet(pattern) || parser.isSet(symbologies)) && !separators)
        return usageError(parser, QStringLiteral("--separators, --pattern and --symbologies go "
                                                 "with --suggest or --drop-separators."));
    imaging::SeparatorRule rule;
    rule.blankPercent = blankThreshold;  // a blank separator is a blank page by the same limit
    const QString kindName = parser.value(kinds).toLower();
    if (kindName == QLatin1String("blank"))
        rule.kinds = imaging::SeparatorKinds::Blank;
    else if (kindName == QLatin1String("both"))
        rule.kinds = imaging::SeparatorKinds::Both;
    else if (!kindName.isEmpty() && kindName != QLatin1String("barcode"))
        return usageError(parser, QStringLiteral("--separators is barcode, blank or both."));
    if (parser.isSet(pattern)) {
        QString error;
        rule.pattern = compileBarcodePattern(parser.value(pattern), error);
        if (!rule.pattern) return usageError(parser, error);
    }
    imaging::Symbologies symbologySet = imaging::defaultSymbologies();
    if (parser.isSet(symbologies)) {
        std::string error;
        if (!imaging::parseSymbologies(parser.value(symbologies).toStdString(), symbologySet,
                                       error))
            return usageError(parser, QString::fromStdString(error));
    }
    QString target;
    if (parser.isSet(exportDir)) {
        target = parser.value(exportDir);
        if (target.isEmpty()) return usageError(parser, QStringLiteral("--export needs a folder."));
        if (!QDir().mkpath(target))
            return usageError(parser, QStringLiteral("Cannot make the folder ") + target);
        // Files named after the pages would land beside them, and --force would replace a page.
        if (QFileInfo(target).canonicalFilePath() == QFileInfo(folder).canonicalFilePath())
            return usageError(parser, QStringLiteral("--export DIR must not be the page folder."));
    }

    FolderDocuments documents = FolderDocuments::read(folder);
    const bool asJson = parser.isSet(json);
    int failed = 0;
    QList<bool> separatorPages;
    if (separators) {
        const FolderSeparators found = readSeparators(documents, symbologySet, rule);
        for (std::size_t i = 0; i < found.separator.size(); ++i) {
            separatorPages << found.separator[i];
            // A page whose separator reading is unknown leaves the suggestions incomplete.
            if (parser.isSet(suggest) && !found.readings[i].readable) ++failed;
        }
        if (parser.isSet(suggest)) docs::printSuggestions(stdout, found, asJson);
        if (parser.isSet(apply)) {
            std::fflush(stdout);
            failed += docs::applySuggestions(stdout, stderr, found, asJson);
            documents =
                FolderDocuments::read(folder);  // the check and the export see the starts written
        }
    }
    // --suggest lists the separators instead of the documents, and checks only on request.
    const bool listDocuments = !parser.isSet(check) && !parser.isSet(suggest);
    const bool checkMarkers = !parser.isSet(suggest) || parser.isSet(check);
    if (listDocuments) {
        const QList<double> ink = docs::measureInk(documents);
        docs::printDocuments(stdout, documents, ink, blankThreshold, asJson);
    }
    if (checkMarkers) docs::printFindings(stdout, documents, asJson);
    if (!target.isEmpty())
        failed +=
            docs::exportDocuments(documents, target, exportFormat, parser.isSet(force), asJson,
                                  parser.isSet(dropSeparators) ? separatorPages : QList<bool>{});
    std::fflush(stdout);
    return (!checkMarkers || documents.findings().isEmpty()) && failed == 0 ? 0 : 1;
}
