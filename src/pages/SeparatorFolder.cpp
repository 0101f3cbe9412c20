#include "pages/SeparatorFolder.h"

#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <thread>

#include "imaging/engine/PageEngine.h"
#include "shared/NativePath.h"
#include "shared/PageFiles.h"

namespace leafmark {
namespace {

QString withSlash(QString folder) {
    folder = withSeparator(folder);
    return folder;
}

}  // namespace

BarcodePattern compileBarcodePattern(const QString& pattern) {
    // The pattern is checked on its own first: a stray ")" would otherwise close the
    // anchoring group and make an expression that matches only a part of the text.
    const QRegularExpression plain(pattern);
    const QRegularExpression re(QRegularExpression::anchoredPattern(pattern));
    if (!plain.isValid() || !re.isValid())
        return {{},
                imaging::Status::failure(
                    QStringLiteral("invalid barcode pattern \"%1\": %2")
                        .arg(pattern, plain.isValid() ? re.errorString() : plain.errorString())
                        .toStdString())};
    return {[re](const std::string& text) {
        return re.match(QString::fromStdString(text)).hasMatch();
    }};
}

imaging::PageMarks readPageMarks(const QString& folder, const QStringList& entries, int index) {
    imaging::PageMarks marks;
    if (index < 0 || index >= entries.size()) return marks;
    const QString dir = withSlash(folder);
    marks.documentMarker = isDocumentMarker(
        QString::fromStdString(imaging::PageEngine::ReadComment(enginePath(dir + entries[index]), 1,
                                                                imaging::kSlotDocumentMarker)
                                   .value_or("")));
    if (index > 0) {
        const QString eod = endOfDocumentPath(dir, entries[index - 1]);
        marks.endOfDocumentBefore = !eod.isEmpty() && pathExists(eod);
    }
    return marks;
}

std::vector<imaging::SeparatorReading> readSeparatorPages(const QString& folder,
                                                          const QStringList& entries,
                                                          imaging::Symbologies set, int jobs) {
    const QString dir = withSlash(folder);
    const int n = static_cast<int>(entries.size());
    std::vector<imaging::SeparatorReading> readings(static_cast<std::size_t>(n));
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < n; i = next++)
            readings[static_cast<std::size_t>(i)] =
                imaging::readSeparatorPage(enginePath(dir + entries[i]), set);
    };
    if (jobs <= 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> workers;
    for (int j = 1; j < std::min(jobs, n); ++j) workers.emplace_back(work);
    work();
    for (auto& t : workers) t.join();
    return readings;
}

FolderSeparators findSeparators(const QString& folder, const QStringList& entries,
                                std::vector<imaging::SeparatorReading> readings,
                                const imaging::SeparatorRule& rule) {
    FolderSeparators out;
    out.folder = withSlash(folder);
    out.entries = entries;
    const int n = static_cast<int>(entries.size());
    readings.resize(static_cast<std::size_t>(n));  // a missing reading counts as an unreadable page
    out.readings = std::move(readings);
    for (int i = 0; i < n; ++i) {
        std::string why;
        out.separator.push_back(
            imaging::isSeparator(out.readings[static_cast<std::size_t>(i)], rule, &why));
        out.why.push_back(QString::fromStdString(why));
        out.marks.push_back(readPageMarks(out.folder, entries, i));
    }
    out.starts = imaging::suggestStarts(out.separator, out.marks);
    return out;
}

StartApplied applyDocumentStart(const QString& folder, const QStringList& entries, int index) {
    StartApplied out;
    QString created;  // the end-of-document file made for this start
    auto fail = [&](const QString& error) {
        if (!created.isEmpty()) {  // keep the end-of-document file in step with the page
            removeFile(created);
            out.changes.clear();
        }
        out.status = imaging::Status::failure(error.toStdString());
        return out;
    };
    if (index < 0 || index >= entries.size())
        return fail(QStringLiteral("There is no page %1 in the folder.").arg(index + 1));
    const QString dir = withSlash(folder);
    const QString page = dir + entries[index];

    // The end-of-document file of the page before is settled first, as the window's save does.
    if (index > 0) {
        const QString eod = endOfDocumentPath(dir, entries[index - 1]);
        if (!eod.isEmpty() && !pathExists(eod)) {
            if (!writeEndOfDocumentFile(eod))
                return fail(
                    QStringLiteral("The end-of-document file %1 could not be written.").arg(eod));
            created = eod;
            out.changes.push_back({QStringLiteral("created"), eod});
        }
    }

    if (!readPageMarks(dir, entries, index).documentMarker) {
        imaging::PageEngine engine;
        const std::string path = enginePath(page);
        if (const imaging::Status loaded = engine.LoadPage(path); !loaded)
            return fail(QStringLiteral("The page %1 could not be read: %2")
                            .arg(page, QString::fromStdString(loaded.reason())));
        if (engine.damaged())
            return fail(QStringLiteral(
                            "The page %1 could only be read in part (%2), so it is not saved over "
                            "its file.")
                            .arg(page, QString::fromStdString(engine.damageReason())));
        // Only the document marker changes: the change marker stays as the file has it.
        engine.SetComment(imaging::kSlotDocumentMarker, kDocumentMarker.toStdString());
        const bool changed =
            imaging::PageEngine::ReadComment(path, 1, imaging::kSlotChangeMarker) ==
            kChangeMarker.toStdString();
        engine.SetComment(imaging::kSlotChangeMarker,
                          changed ? kChangeMarker.toStdString() : std::string());
        imaging::Status status = engine.ReadFileInfo(path);
        if (status.ok())
            status = engine.SavePage(path, engine.StoredFormat(), engine.StoredBitDepth());
        if (!status.ok())
            return fail(QStringLiteral("The page could not be saved to %1.\n\n%2")
                            .arg(page, QString::fromStdString(status.reason())));
        out.changes.push_back({QStringLiteral("marked"), page});
    }
    return out;
}

}  // namespace leafmark
