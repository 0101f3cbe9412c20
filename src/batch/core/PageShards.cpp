#include "batch/core/PageShards.h"

#include <QHash>

#include "batch/core/RunText.h"
#include "shared/NativePath.h"

namespace leafmark::batch {

namespace {

// "00000006" of "00000006.TIF", folded for matching without regard to case.
QString stemOf(const QString& name) {
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return foldedName(dot > 0 ? name.left(dot) : name);
}

}  // namespace

QStringList shardOf(const QStringList& names, int k, int n) {
    if (n < 1 || k < 1 || k > n) return {};
    int pages = 0;
    for (const QString& name : names)
        if (!hasEodExtension(name)) ++pages;
    // Page p (0-based among pages) lies in slice floor(p * n / pages) + 1.
    QHash<QString, int> sliceOfStem;
    QList<int> slice;
    slice.reserve(names.size());
    int page = 0, lastSlice = 1;
    for (const QString& name : names) {
        if (hasEodExtension(name)) {
            slice << 0;  // decided below, once every page is placed
            continue;
        }
        lastSlice = static_cast<int>(static_cast<qint64>(page) * n / pages) + 1;
        sliceOfStem.insert(stemOf(name), lastSlice);
        slice << lastSlice;
        ++page;
    }
    // An end-of-document file NAMEZZZ.EOD goes with page NAME; without such a page,
    // with the page before it in the list (the first slice when there is none).
    lastSlice = 1;
    for (int i = 0; i < names.size(); ++i) {
        if (slice[i] != 0) {
            lastSlice = slice[i];
            continue;
        }
        QString stem = stemOf(names[i]);
        if (stem.endsWith(QLatin1String("zzz"))) stem.chop(3);
        slice[i] = sliceOfStem.value(stem, lastSlice);
    }
    QStringList out;
    for (int i = 0; i < names.size(); ++i)
        if (slice[i] == k) out << names[i];
    return out;
}

}  // namespace leafmark::batch
