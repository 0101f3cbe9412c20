#include "UnpaperRow.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "imaging/engine/PageEngine.h"

namespace leafmark::bench {

namespace {

std::string native(const QString& p) { return QFile::encodeName(p).toStdString(); }

QString pbmName(const QString& folder, const char* stem, int number) {
    return QStringLiteral("%1/%2%3.pbm")
        .arg(folder, QLatin1String(stem))
        .arg(number, 4, 10, QChar('0'));
}

// The last line of unpaper's own messages; the lines of its image decoder start
// with "[" and say nothing about the failure.
QString lastMessage(const QByteArray& output) {
    const QStringList lines = QString::fromLocal8Bit(output).split('\n', Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        if (!it->startsWith('[')) return it->trimmed();
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

}  // namespace

QString unpaperProblem(QString* version) {
    QProcess p;
    p.start(QStringLiteral("unpaper"), {QStringLiteral("--version")});
    if (!p.waitForStarted())
        return p.error() == QProcess::FailedToStart
                   ? QStringLiteral(
                         "not run: the unpaper program is not installed "
                         "(Debian package \"unpaper\")")
                   : QStringLiteral("not run: unpaper does not start (%1)").arg(p.errorString());
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("not run: \"unpaper --version\" failed (exit %1)").arg(p.exitCode());
    if (version) *version = QString::fromLocal8Bit(p.readAllStandardOutput()).section('\n', 0, 0);
    return {};
}

bool runUnpaperPass(const QString& in, const QStringList& names, const QString& work,
                    const QString& out, QString* error) {
    for (const QString& folder : {work, out}) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
    imaging::PageEngine e;
    for (int i = 0; i < names.size(); ++i) {  // TIFF -> PBM
        const imaging::Status loaded = e.LoadPage(native(in + '/' + names[i]));
        if (!loaded ||
            pixWrite(native(pbmName(work, "in", i + 1)).c_str(), e.pix(), IFF_PNM) != 0) {
            *error = QStringLiteral("cannot write %1 as PBM").arg(names[i]);
            return false;
        }
    }
    // unpaper straightens only the text areas its mask scan finds, so that scan stays
    // on (without it nothing is turned). It reads the lean from the edges of those
    // areas; the right edge of ragged-right text disagrees with the left one and it
    // then turns nothing, so it looks at the left edge only.
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("unpaper"),
            {"--overwrite", "--quiet", "--no-blackfilter", "--no-grayfilter", "--no-blurfilter",
             "--no-mask-center", "--no-border-scan", "--no-border-align", "--deskew-scan-direction",
             "left", "--pre-border", "75,75,75,75", "--start-sheet", "1", "--end-sheet",
             QString::number(names.size()), work + "/in%04d.pbm", work + "/out%04d.pbm"});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = p.error() == QProcess::FailedToStart
                     ? QStringLiteral("unpaper is not installed")
                     : QStringLiteral("unpaper failed (exit %1): %2")
                           .arg(p.exitCode())
                           .arg(lastMessage(p.readAll()));
        return false;
    }
    for (int i = 0; i < names.size(); ++i) {  // PBM -> TIFF, Group 4
        imaging::PixPtr pix(pixRead(native(pbmName(work, "out", i + 1)).c_str()));
        if (!pix) {
            *error = QStringLiteral("unpaper wrote no readable result for %1").arg(names[i]);
            return false;
        }
        e.setImage(std::move(pix), 300, 300);
        if (!e.SavePage(native(out + '/' + names[i]), imaging::kFormatGroup4, 1)) {
            *error = QStringLiteral("cannot save unpaper's result for %1").arg(names[i]);
            return false;
        }
    }
    return true;
}

void reportUnpaperResidualSkew(const QString& out, const QStringList& names) {
    double most = 0, sum = 0;
    int measured = 0;
    for (const QString& n : names) {
        imaging::PixPtr pix(pixRead(native(out + '/' + n).c_str()));
        l_float32 angle = 0, confidence = 0;
        if (!pix || pixFindSkew(pix.get(), &angle, &confidence) != 0) continue;
        most = std::max(most, double(std::abs(angle)));
        sum += std::abs(angle);
        ++measured;
    }
    std::printf(
        "unpaper: residual skew measured on its results: max %.3f, mean %.3f degrees (%d pages)\n",
        most, measured ? sum / measured : 0.0, measured);
}

}  // namespace leafmark::bench
