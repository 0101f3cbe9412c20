#include "support/FolderRunTest.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>

namespace leafmark::testing {

CommandResult runProgram(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    const bool ended = p.waitForFinished(120000);
    EXPECT_TRUE(ended) << program.toStdString() << " " << args.join(' ').toStdString();
    const bool normal = ended && p.exitStatus() == QProcess::NormalExit;
    return {normal ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

std::map<QString, QByteArray> folderBytes(const QString& folder, const QStringList& patterns) {
    std::map<QString, QByteArray> all;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(patterns, QDir::Files | QDir::Hidden)) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        all[name] = f.readAll();
    }
    return all;
}

std::vector<QJsonObject> jsonLines(const QByteArray& text) {
    std::vector<QJsonObject> lines;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty()) continue;
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        EXPECT_TRUE(doc.isObject()) << line.toStdString();
        lines.push_back(doc.object());
    }
    return lines;
}

FolderRunTest::FolderRunTest()
    : in(root.filePath(QStringLiteral("in"))), out(root.filePath(QStringLiteral("out"))) {
    QDir().mkpath(in);
    QDir().mkpath(out);
}

}  // namespace leafmark::testing
