#include "DocsReport.h"

#include <QDir>
#include <QSet>
#include <atomic>
#include <thread>
#include <vector>

#include "imaging/engine/InkShare.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/engine/PdfWriter.h"
#include "imaging/engine/TiffJoin.h"
#include "shared/NativePath.h"
#include "shared/PageFiles.h"

namespace leafmark::docs {

namespace {

QString number(double v) { return QString::number(v, 'f', 4); }

QStringList blankPages(const FolderDocuments& d, const DocumentRange& r, const QList<double>& ink,
                       double threshold) {
    QStringList out;
    for (int i = r.first; i <= r.last; ++i)
        if (i < ink.size() && imaging::isBlank(ink[i], threshold)) out << d.pages()[i].name;
    return out;
}

QString jsonList(const QStringList& items) {
    QStringList quoted;
    for (const QString& s : items) quoted << jsonString(s);
    return QLatin1Char('[') + quoted.join(QLatin1Char(',')) + QLatin1Char(']');
}

// Names go out as their bytes on disk.
void put(std::FILE* out, const QString& line) {
    std::fprintf(out, "%s\n", nativePath(line).constData());
}

QString outputName(const QString& firstPage, ExportFormat format) {
    const qsizetype dot = firstPage.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? firstPage.left(dot) : firstPage;
    return stem + (format == ExportFormat::Tiff ? QStringLiteral(".tif") : QStringLiteral(".pdf"));
}

}  // namespace

QString jsonString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A byte of a name that is not UTF-8 (a lone surrogate here) is written as
        // its escape, so the line stays valid UTF-8 and the byte can be recovered.
        const bool paired = c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
        if (c.isLowSurrogate() && !paired)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QList<double> measureInk(const FolderDocuments& documents, int jobs) {
    const int n = documents.pageCount();
    QList<double> ink(n, -1.0);
    if (jobs <= 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const QList<DocumentPage>& pages = documents.pages();
    std::atomic<int> next{0};
    auto work = [&] {
        imaging::PageEngine engine;
        for (int i = next++; i < n; i = next++) {
            const DocumentPage& page = pages[i];
            if (!page.readable) continue;
            if (!engine.LoadPage(enginePath(documents.folder() + page.name)).ok() ||
                engine.damaged())
                continue;
            ink[i] =
                imaging::inkSharePercent(engine.pix(), engine.XResolution(), engine.YResolution());
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < std::min(jobs, n); ++t) threads.emplace_back(work);
    work();
    for (auto& t : threads) t.join();
    return ink;
}

// Lines are put together by concatenation: file names may hold "%1" and must not be substituted
// into.
void printDocuments(std::FILE* out, const FolderDocuments& d, const QList<double>& ink,
                    double threshold, bool json) {
    const QString s = QStringLiteral("s");
    for (qsizetype k = 0; k < d.documents().size(); ++k) {
        const DocumentRange& r = d.documents()[k];
        const QString first = d.pages()[r.first].name, last = d.pages()[r.last].name;
        const QStringList blank = blankPages(d, r, ink, threshold);
        const QString doc = QString::number(k + 1), count = QString::number(r.pageCount());
        if (!json) {
            QString line = QStringLiteral("document ") + doc + QStringLiteral(": ") + first +
                           QStringLiteral(" .. ") + last + QStringLiteral(", ") + count +
                           QStringLiteral(" page") + (r.pageCount() == 1 ? QString() : s);
            if (!blank.isEmpty())
                line += QStringLiteral(", blank: ") + blank.join(QStringLiteral(", "));
            put(out, line);
            continue;
        }
        put(out, QStringLiteral("{\"type\":\"document\",\"document\":") + doc +
                     QStringLiteral(",\"first\":") + jsonString(first) +
                     QStringLiteral(",\"last\":") + jsonString(last) +
                     QStringLiteral(",\"pages\":") + count + QStringLiteral(",\"blank\":") +
                     jsonList(blank) + QLatin1Char('}'));
        for (int i = r.first; i <= r.last; ++i) {
            const DocumentPage& p = d.pages()[i];
            const double v = i < ink.size() ? ink[i] : -1.0;
            put(out,
                QStringLiteral("{\"type\":\"page\",\"name\":") + jsonString(p.name) +
                    QStringLiteral(",\"document\":") + doc + QStringLiteral(",\"page\":") +
                    QString::number(i - r.first + 1) + QStringLiteral(",\"readable\":") +
                    (p.readable ? QStringLiteral("true") : QStringLiteral("false")) +
                    QStringLiteral(",\"bod\":") +
                    (p.documentMarker ? QStringLiteral("true") : QStringLiteral("false")) +
                    QStringLiteral(",\"eod\":") +
                    (p.hasEndOfDocument() ? jsonString(p.endOfDocument) : QStringLiteral("null")) +
                    QStringLiteral(",\"ink\":") + (v < 0 ? QStringLiteral("null") : number(v)) +
                    QStringLiteral(",\"blank\":") +
                    (imaging::isBlank(v, threshold) ? QStringLiteral("true")
                                                    : QStringLiteral("false")) +
                    QLatin1Char('}'));
        }
    }
}

void printFindings(std::FILE* out, const FolderDocuments& d, bool json) {
    for (const Finding& f : d.findings()) {
        if (json)
            put(out, QStringLiteral("{\"type\":\"finding\",\"kind\":") + jsonString(f.key()) +
                         QStringLiteral(",\"files\":") + jsonList(f.files) +
                         QStringLiteral(",\"text\":") + jsonString(f.text()) + QLatin1Char('}'));
        else
            put(out, QStringLiteral("finding ") + f.key() + QStringLiteral(": ") + f.text());
    }
}

int exportDocuments(const FolderDocuments& d, const QString& dir, ExportFormat format, bool force,
                    bool json, const QList<bool>& leaveOut) {
    int failed = 0;
    QSet<QString> targets;  // names written in this run, so --force never replaces one of them
    for (const DocumentRange& r : d.documents()) {
        std::vector<std::string> files;
        int first = -1;  // the first page written names the file
        for (int i = r.first; i <= r.last; ++i) {
            if (i < leaveOut.size() && leaveOut[i]) continue;
            if (first < 0) first = i;
            files.push_back(enginePath(d.folder() + d.pages()[i].name));
        }
        if (files.empty()) continue;  // nothing but pages left out
        const int pageCount = static_cast<int>(files.size());
        const QString target = QDir(dir).filePath(outputName(d.pages()[first].name, format));
        if (targets.contains(target)) {
            ++failed;
            std::fprintf(
                stderr,
                "leafmark-docs: %s would hold two documents; the one from %s is not written\n",
                nativePath(target).constData(), nativePath(d.pages()[first].name).constData());
            continue;
        }
        targets.insert(target);
        const imaging::Status s = format == ExportFormat::Tiff
                                      ? imaging::joinPagesToTiff(files, enginePath(target), force)
                                      : imaging::writePagesToPdf(files, enginePath(target), force);
        if (!s.ok()) {
            ++failed;
            std::fprintf(stderr, "leafmark-docs: %s\n", s.reason().c_str());
            continue;
        }
        if (json)
            put(stdout, QStringLiteral("{\"type\":\"export\",\"file\":") + jsonString(target) +
                            QStringLiteral(",\"pages\":") + QString::number(pageCount) +
                            QLatin1Char('}'));
        else
            put(stdout,
                QStringLiteral("wrote ") + target + QStringLiteral(" (") +
                    QString::number(pageCount) +
                    (pageCount == 1 ? QStringLiteral(" page)") : QStringLiteral(" pages)")));
    }
    return failed;
}

}  // namespace leafmark::docs
