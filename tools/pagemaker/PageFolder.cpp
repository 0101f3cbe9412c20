// Folders of sample pages and their manifest (pages.tsv).

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <atomic>
#include <thread>

#include "PageMaker.h"
#include "PageText.h"
#include "SeededRandom.h"

namespace leafmark::pagemaker {
namespace {

// Mixed folders: mostly Group 4, with gray, colour and fax pages at fixed places.
PageKind mixedKind(int index) {
    switch (index % 8) {
        case 3:
            return PageKind::Gray;
        case 6:
            return PageKind::Colour;
        case 0:
            return PageKind::Fax;
        default:
            return PageKind::Group4;
    }
}

QString rectText(const QRect& r) {
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

std::optional<QRect> rectFromText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok) return std::nullopt;
    }
    return QRect(v[0], v[1], v[2], v[3]);
}

const char* kHeader = "name\tkind\twidth\theight\txdpi\tydpi\tangle\tdescription\tspecks\tborder";

}  // namespace

QString pageFileName(int index) {
    return QStringLiteral("%1.tif").arg(index, 8, 10, QLatin1Char('0'));
}

PageSpec folderPageSpec(const FolderOptions& options, int index) {
    SeededRandom random(SeededRandom::mix(options.seed, static_cast<std::uint64_t>(index)));
    PageSpec spec;
    spec.kind = options.kind ? *options.kind : mixedKind(index);
    spec.seed = random.next();
    // Hundredths of a degree, the program's own unit for angles.
    spec.angle = options.angle ? *options.angle : random.between(-500, 500) / 100.0;
    spec.specks = random.between(2, 8);
    spec.border = random.chance(1.0 / 3.0);
    const bool marked = index == 1 || random.chance(0.25);
    if (options.markDocuments && marked) spec.description = "BOD";
    return spec;
}

bool makeFolder(const QString& folder, const FolderOptions& options, std::vector<PageInfo>* made,
                QString* error) {
    auto fail = [error](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (options.pages < 1 || options.pages > 100000)
        return fail(QStringLiteral("The page count must be between 1 and 100000 (got %1).")
                        .arg(options.pages));
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("Cannot create the folder %1.").arg(folder));

    const QDir dir(folder);
    // Pages are independent, so they are made on every core; each page's bytes
    // depend only on its own spec, never on which thread made it.
    const auto count = static_cast<std::size_t>(options.pages);
    std::vector<PageInfo> pages(count);
    std::vector<QString> errors(count);
    std::atomic<std::size_t> nextPage{0};
    std::atomic<bool> failed{false};
    loadPageFonts();
    auto work = [&] {
        for (std::size_t i = nextPage++; i < count && !failed; i = nextPage++) {
            const int index = static_cast<int>(i) + 1;
            if (!makePageFile(folderPageSpec(options, index), dir.filePath(pageFileName(index)),
                              &errors[i], &pages[i]))
                failed = true;
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads && t < count; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers) t.join();
    for (const QString& e : errors)
        if (!e.isEmpty()) return fail(e);
    QString why;
    if (!writeManifest(dir.filePath(QString::fromLatin1(kManifestName)), pages, &why))
        return fail(why);
    if (made) *made = std::move(pages);
    return true;
}

bool writeManifest(const QString& path, const std::vector<PageInfo>& pages, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error) *error = QStringLiteral("Cannot create %1.").arg(path);
        return false;
    }
    QTextStream out(&file);
    out << kHeader << '\n';
    for (const PageInfo& p : pages) {
        QStringList specks;
        for (const QRect& r : p.specks) specks << rectText(r);
        out << p.name << '\t' << kindName(p.kind) << '\t' << p.width << '\t' << p.height << '\t'
            << p.xDpi << '\t' << p.yDpi << '\t' << QString::number(p.angle, 'f', 2) << '\t'
            << QString::fromStdString(p.description) << '\t' << specks.join(QLatin1Char(';'))
            << '\t' << (p.border.isNull() ? QString() : rectText(p.border)) << '\n';
    }
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) {
        if (error) *error = QStringLiteral("Cannot write %1.").arg(path);
        return false;
    }
    return true;
}

std::optional<std::vector<PageInfo>> readManifest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    QTextStream in(&file);
    if (in.readLine() != QLatin1String(kHeader)) return std::nullopt;
    std::vector<PageInfo> pages;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty()) continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != 10) return std::nullopt;
        PageInfo p;
        p.name = f[0];
        const auto kind = kindFromName(f[1]);
        bool ok[6] = {};
        p.width = f[2].toInt(&ok[0]);
        p.height = f[3].toInt(&ok[1]);
        p.xDpi = f[4].toInt(&ok[2]);
        p.yDpi = f[5].toInt(&ok[3]);
        p.angle = f[6].toDouble(&ok[4]);
        ok[5] = kind.has_value() && !p.name.isEmpty();
        for (bool b : ok)
            if (!b) return std::nullopt;
        p.kind = *kind;
        p.description = f[7].toStdString();
        for (const QString& s : f[8].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const auto r = rectFromText(s);
            if (!r) return std::nullopt;
            p.specks.push_back(*r);
        }
        if (!f[9].isEmpty()) {
            const auto r = rectFromText(f[9]);
            if (!r) return std::nullopt;
            p.border = *r;
        }
        pages.push_back(std::move(p));
    }
    return pages;
}

}  // namespace leafmark::pagemaker
