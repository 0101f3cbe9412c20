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

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <string>

#include "DocsReport.h"
#include "SeparatorReport.h"
#include "cli/CommandLine.h"
#include "imaging/engine/InkShare.h"
#include "pages/SeparatorFolder.h"
#include "shared/NativePath.h"

using namespace leafmark;

namespace {

std::vector<cli::Option> optionTable() {
    return {{"help-all", 0, false},   {"version", 'v', false},      {"check", 0, false},
            {"json", 0, false},       {"export", 0, true},          {"format", 0, true},
            {"force", 0, false},      {"blank-threshold", 0, true}, {"suggest", 0, false},
            {"apply", 0, false},      {"separators", 0, true},      {"pattern", 0, true},
            {"symbologies", 0, true}, {"drop-separators", 0, false}};
}

// The help as the command has always printed it; "--help-all" shows the same.
QByteArray helpText(const char* program) {
    return QStringLiteral(
               "Usage: %1 [options] FOLDER\n"
               "Lists the documents that the markers of a page folder define, checks the "
               "markers, and exports each document into one file.\n"
               "Exit status: 1 when the check finds anything or an export fails.\n"
               "\n"
               "Options:\n"
               "  -h, --help                   Displays help on commandline options.\n"
               "  --help-all                   Displays help including Qt specific options.\n"
               "  -v, --version                Displays version information.\n"
               "  --check                      Only check the markers: print the findings, no\n"
               "                               documents.\n"
               "  --json                       Print JSON lines.\n"
               "  --export <DIR>               Write one file per document into DIR.\n"
               "  --format <FORMAT>            tiff or pdf (default tiff).\n"
               "  --force                      Replace existing output files.\n"
               "  --blank-threshold <PERCENT>  A page with less ink than PERCENT of its area\n"
               "                               inside the margins is blank (default %2).\n"
               "  --suggest                    List the separator sheets and the document\n"
               "                               starts they propose.\n"
               "  --apply                      With --suggest: write the proposed starts\n"
               "                               (document marker on the starting page,\n"
               "                               end-of-document file for the page before).\n"
               "  --separators <KINDS>         Which pages are separators: barcode, blank or\n"
               "                               both (default barcode).\n"
               "  --pattern <REGEX>            A page is a barcode separator when a barcode's\n"
               "                               whole text matches REGEX (default: any barcode on\n"
               "                               an otherwise nearly blank page).\n"
               "  --symbologies <LIST>         Barcode types to read, comma-separated, or all\n"
               "                               (default %3).\n"
               "  --drop-separators            With --export: leave the separator sheets out.\n"
               "\n"
               "Arguments:\n"
               "  FOLDER                       The page folder.\n")
        .arg(fromNativePath(program),
             QString::number(imaging::kBlankThresholdPercent, 'g', QLocale::FloatingPointShortest),
             QString::fromStdString(imaging::symbologyNames(imaging::defaultSymbologies())))
        .toLocal8Bit();
}

int usageError(const char* program, const QString& text) {
    std::fprintf(stderr, "leafmark-docs: %s\n\n%s", qPrintable(text),
                 helpText(program).constData());
    return 2;
}

// True when `path` names a folder (links followed), whatever bytes its name holds.
bool isFolder(const QString& path) {
    struct stat st {};
    return ::stat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
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
    const char* program = argv[0];
    cli::CommandLine line(optionTable());
    if (!line.parse(argc, argv)) return usageError(program, QString::fromStdString(line.error()));
    if (line.has("help") || line.has("help-all")) {
        std::fputs(helpText(program).constData(), stdout);
        return 0;
    }
    if (line.has("version")) {
        std::printf("%s\n", cli::versionLine("leafmark-docs").c_str());
        return 0;
    }
    const auto text = [&](const char* name, const char* otherwise = "") {
        return QString::fromStdString(line.value(name).value_or(otherwise));
    };
    // Paths are taken as the bytes given, names that are not UTF-8 included.
    const auto path = [&](const char* name) {
        return fromNativePath(line.value(name).value_or(std::string()));
    };
    if (line.positional().size() != 1)
        return usageError(program, QStringLiteral("Give exactly one FOLDER."));
    const QString folder = fromNativePath(line.positional().front());
    if (!isFolder(folder))
        return usageError(program, QStringLiteral("No such folder: ") + shownPath(folder));

    double blankThreshold = imaging::kBlankThresholdPercent;
    if (line.has("blank-threshold")) {
        bool ok = false;
        blankThreshold = text("blank-threshold").toDouble(&ok);
        if (!ok || blankThreshold < 0 || blankThreshold > 100)
            return usageError(
                program, QStringLiteral("--blank-threshold needs a percentage from 0 to 100."));
    }
    docs::ExportFormat exportFormat = docs::ExportFormat::Tiff;
    const QString formatName = text("format", "tiff").toLower();
    if (formatName == QLatin1String("pdf"))
        exportFormat = docs::ExportFormat::Pdf;
    else if (formatName != QLatin1String("tiff") && formatName != QLatin1String("tif"))
        return usageError(program, QStringLiteral("--format is tiff or pdf."));
    const bool exporting = line.has("export");
    if ((line.has("format") || line.has("force")) && !exporting)
        return usageError(program, QStringLiteral("--format and --force go with --export DIR."));
    if (line.has("apply") && !line.has("suggest"))
        return usageError(program, QStringLiteral("--apply goes with --suggest."));
    if (line.has("drop-separators") && !exporting)
        return usageError(program, QStringLiteral("--drop-separators goes with --export DIR."));
    const bool separators = line.has("suggest") || line.has("drop-separators");
    if ((line.has("separators") || line.has("pattern") || line.has("symbologies")) && !separators)
        return usageError(program, QStringLiteral("--separators, --pattern and --symbologies go "
                                                  "with --suggest or --drop-separators."));
    imaging::SeparatorRule rule;
    rule.blankPercent = blankThreshold;  // a blank separator is a blank page by the same limit
    const QString kindName = text("separators").toLower();
    if (kindName == QLatin1String("blank"))
        rule.kinds = imaging::SeparatorKinds::Blank;
    else if (kindName == QLatin1String("both"))
        rule.kinds = imaging::SeparatorKinds::Both;
    else if (!kindName.isEmpty() && kindName != QLatin1String("barcode"))
        return usageError(program, QStringLiteral("--separators is barcode, blank or both."));
    if (line.has("pattern")) {
        const BarcodePattern given = compileBarcodePattern(text("pattern"));
        if (!given.status)
            return usageError(program, QString::fromStdString(given.status.reason()));
        rule.pattern = given.matches;
    }
    imaging::Symbologies symbologySet = imaging::defaultSymbologies();
    if (line.has("symbologies")) {
        const imaging::SymbologyList given =
            imaging::parseSymbologies(text("symbologies").toStdString());
        if (!given.status)
            return usageError(program, QString::fromStdString(given.status.reason()));
        symbologySet = given.set;
    }
    QString target;
    if (exporting) {
        target = path("export");
        if (target.isEmpty())
            return usageError(program, QStringLiteral("--export needs a folder."));
        if (!QDir().mkpath(target))
            return usageError(program, QStringLiteral("Cannot make the folder ") + target);
        // Files named after the pages would land beside them, and --force would replace a page.
        if (QFileInfo(target).canonicalFilePath() == QFileInfo(folder).canonicalFilePath())
            return usageError(program, QStringLiteral("--export DIR must not be the page folder."));
    }

    FolderDocuments documents = FolderDocuments::read(folder);
    const bool asJson = line.has("json");
    int failed = 0;
    QList<bool> separatorPages;
    if (separators) {
        const FolderSeparators found = readSeparators(documents, symbologySet, rule);
        for (std::size_t i = 0; i < found.separator.size(); ++i) {
            separatorPages << found.separator[i];
            // A page whose separator reading is unknown leaves the suggestions incomplete.
            if (line.has("suggest") && !found.readings[i].readable) ++failed;
        }
        if (line.has("suggest")) docs::printSuggestions(stdout, found, asJson);
        if (line.has("apply")) {
            std::fflush(stdout);
            failed += docs::applySuggestions(stdout, stderr, found, asJson);
            documents =
                FolderDocuments::read(folder);  // the check and the export see the starts written
        }
    }
    // --suggest lists the separators instead of the documents, and checks only on request.
    const bool listDocuments = !line.has("check") && !line.has("suggest");
    const bool checkMarkers = !line.has("suggest") || line.has("check");
    if (listDocuments) {
        const QList<double> ink = docs::measureInk(documents);
        docs::printDocuments(stdout, documents, ink, blankThreshold, asJson);
    }
    if (checkMarkers) docs::printFindings(stdout, documents, asJson);
    if (!target.isEmpty())
        failed +=
            docs::exportDocuments(documents, target, exportFormat, line.has("force"), asJson,
                                  line.has("drop-separators") ? separatorPages : QList<bool>{});
    std::fflush(stdout);
    return (!checkMarkers || documents.findings().isEmpty()) && failed == 0 ? 0 : 1;
}
