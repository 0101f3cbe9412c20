#include "SeparatorReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "shared/NativePath.h"

namespace leafmark::docs {
namespace {

void put(std::FILE* out, const QString& line) {
    std::fprintf(out, "%s\n", nativePath(line).constData());
}
void put(std::FILE* out, const QJsonObject& o) {
    put(out, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

QString quoted(const std::string& text) {
    // Barcode texts are what the sheet says; control characters would break the line.
    QString t = QString::fromStdString(text);
    for (QChar& c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QChar(0xFFFD);
    return QLatin1Char('"') + t + QLatin1Char('"');
}

}  // namespace

void printSuggestions(std::FILE* out, const FolderSeparators& found, bool json) {
    const int n = static_cast<int>(found.entries.size());
    for (int i = 0; i < n; ++i) {
        const imaging::SeparatorReading& r = found.readings[static_cast<std::size_t>(i)];
        const QString& name = found.entries[i];
        if (!r.readable) {
            if (json)
                put(out, QJsonObject{{"type", "unreadable"},
                                     {"name", name},
                                     {"error", QString::fromStdString(r.error)}});
            else
                put(out,
                    QStringLiteral("unreadable %1  %2").arg(name, QString::fromStdString(r.error)));
            continue;
        }
        if (!found.separator[static_cast<std::size_t>(i)]) continue;
        QJsonArray codes;
        QStringList texts;
        for (const imaging::BarcodeHit& b : r.barcodes) {
            codes.append(QJsonObject{{"symbology", QString::fromStdString(b.symbology)},
                                     {"text", QString::fromStdString(b.text)}});
            texts << QString::fromStdString(b.symbology) + QLatin1Char(' ') + quoted(b.text);
        }
        if (json) {
            put(out, QJsonObject{{"type", "separator"},
                                 {"name", name},
                                 {"reason", found.why[static_cast<std::size_t>(i)]},
                                 {"barcodes", codes},
                                 {"ink", r.inkPercent}});
        } else {
            QString line = QStringLiteral("separator %1  %2")
                               .arg(name, found.why[static_cast<std::size_t>(i)]);
            if (texts.size() > 1)
                line += QStringLiteral("  (read: %1)").arg(texts.join(QStringLiteral(", ")));
            put(out, line);
        }
    }
    for (const imaging::SuggestedStart& s : found.starts) {
        const QString& page = found.entries[s.page];
        const QString& after = found.entries[s.separator];
        if (json)
            put(out,
                QJsonObject{
                    {"type", "start"}, {"name", page}, {"after", after}, {"agrees", s.agrees}});
        else
            put(out,
                QStringLiteral("start %1  %2  (after separator %3)")
                    .arg(page, s.agrees ? QStringLiteral("agrees") : QStringLiteral("proposed"),
                         after));
    }
}

int applySuggestions(std::FILE* out, std::FILE* err, const FolderSeparators& found, bool json) {
    int failed = 0;
    for (const imaging::SuggestedStart& s : found.starts) {
        if (s.agrees) continue;
        const StartApplied applied = applyDocumentStart(found.folder, found.entries, s.page);
        for (const FileChange& c : applied.changes) {
            if (json)
                put(out, QJsonObject{{"type", "change"}, {"action", c.action}, {"file", c.file}});
            else
                put(out, c.action + QLatin1Char(' ') + c.file);
        }
        if (!applied.status) {
            ++failed;
            std::fprintf(err, "leafmark-docs: %s\n", applied.status.reason().c_str());
        }
    }
    return failed;
}

}  // namespace leafmark::docs
