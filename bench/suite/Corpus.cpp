#include "Corpus.h"

#include <QDir>
#include <QFile>
#include <cstdio>

#include "BenchHarness.h"

namespace leafmark::bench {

std::unique_ptr<Corpus> makeCorpus(int count, std::uint64_t seed, pagemaker::PageKind kind) {
    auto corpus = std::make_unique<Corpus>();
    if (!corpus->dir.isValid()) {
        std::fprintf(stderr, "leafmark-bench: cannot make a temporary folder\n");
        return nullptr;
    }
    pagemaker::FolderOptions options;
    options.seed = seed;
    options.pages = count;
    options.kind = kind;
    const QString pages = corpus->dir.filePath(QStringLiteral("pages"));
    QString error;
    const double t0 = nowSeconds();
    if (!pagemaker::makeFolder(pages, options, &corpus->pages, &error)) {
        std::fprintf(stderr, "leafmark-bench: %s\n", qPrintable(error));
        return nullptr;
    }
    corpus->makeSeconds = nowSeconds() - t0;
    for (const auto& page : corpus->pages)
        corpus->paths.push_back(
            QFile::encodeName(pages + QLatin1Char('/') + page.name).toStdString());
    const QString out = corpus->dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    corpus->outDir = QFile::encodeName(out).toStdString();
    return corpus;
}

}  // namespace leafmark::bench
