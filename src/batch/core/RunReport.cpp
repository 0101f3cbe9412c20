#include "batch/core/RunReport.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "batch/core/RunText.h"

namespace leafmark::batch {

namespace {

QString outcomeName(PageOutcome::Kind kind) {
    switch (kind) {
        case PageOutcome::Kind::Processed:
            return QStringLiteral("processed");
        case PageOutcome::Kind::Copied:
            return QStringLiteral("copied");
        case PageOutcome::Kind::Unchanged:
            return QStringLiteral("unchanged");
        case PageOutcome::Kind::Failed:
            return QStringLiteral("failed");
    }
    return QStringLiteral("failed");
}

// Degrees to three decimals, as a JSON number.
double rounded(double degrees) { return std::round(degrees * 1000.0) / 1000.0; }

QByteArray asLine(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

}  // namespace

QByteArray reportLine(const PageOutcome& outcome) {
    QJsonObject o;
    o.insert(QStringLiteral("file"), outcome.name);
    o.insert(QStringLiteral("outcome"), outcomeName(outcome.kind));
    if (outcome.kind == PageOutcome::Kind::Failed)
        o.insert(QStringLiteral("reason"), outcome.reason);
    if (outcome.endOfDocument) o.insert(QStringLiteral("end_of_document"), true);
    o.insert(QStringLiteral("angle_found"),
             outcome.deskewed ? QJsonValue(rounded(outcome.angleFound)) : QJsonValue());
    o.insert(QStringLiteral("angle_applied"),
             outcome.deskewed ? QJsonValue(rounded(outcome.angleApplied)) : QJsonValue());
    o.insert(QStringLiteral("specks_removed"),
             outcome.specksRemoved >= 0 ? QJsonValue(outcome.specksRemoved) : QJsonValue());
    o.insert(QStringLiteral("ms"), std::round(outcome.milliseconds * 10.0) / 10.0);
    return asLine(o);
}

QByteArray skippedLine(const QString& name) {
    QJsonObject o;
    o.insert(QStringLiteral("file"), name);
    o.insert(QStringLiteral("outcome"), QStringLiteral("skipped"));
    o.insert(QStringLiteral("reason"), QStringLiteral("done by an earlier run"));
    if (hasEodExtension(name)) o.insert(QStringLiteral("end_of_document"), true);
    return asLine(o);
}

QString reportPathFor(const QString& outputFolder) {
    const QDir out(QDir::cleanPath(QDir(outputFolder).absolutePath()));
    QDir parent = out;
    if (out.isRoot() || !parent.cdUp())
        return out.filePath(QStringLiteral("leafmark-report.jsonl"));
    return parent.filePath(out.dirName() + QStringLiteral(".leafmark-report.jsonl"));
}

imaging::Status ReportWriter::open(const QString& path) {
    file_.close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return imaging::Status::failure(QStringLiteral("cannot write the report %1: %2")
                                            .arg(path, file_.errorString())
                                            .toStdString());
    return imaging::Status::success();
}

bool ReportWriter::write(const QByteArray& line) {
    return file_.isOpen() && file_.write(line) == line.size();
}

}  // namespace leafmark::batch
