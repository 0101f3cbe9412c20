#include "PagesTestSupport.h"

#include <QDir>
#include <QFile>
#include <tiffio.h>

#include <csignal>
#include <sys/resource.h>

#include <vector>

namespace leafmark::testing {

TestControls::TestControls() : view(new imaging::PageView(&owner)) {
    owner.resize(400, 300);
    view->resize(400, 300);
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    oldCur_ = limit.rlim_cur;
    // Past the limit a write gets EFBIG instead of the signal that would end the test.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = oldCur_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}

void writePage(const QString& path, const PageSpec& spec) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(tif, nullptr) << path.toStdString();
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(spec.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(spec.height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(spec.bits));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(1));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<uint16_t>(spec.compression));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 static_cast<uint16_t>(spec.bits == 1 ? PHOTOMETRIC_MINISWHITE
                                                      : PHOTOMETRIC_MINISBLACK));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, static_cast<uint16_t>(PLANARCONFIG_CONTIG));
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(spec.height));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(RESUNIT_INCH));
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(spec.resolution));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(spec.resolution));
    if (spec.description)
        TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, spec.description->toLatin1().constData());
    if (spec.model) TIFFSetField(tif, TIFFTAG_MODEL, spec.model->toLatin1().constData());

    // A black block of 4x4 pixels at column `mark` of rows 8..11.
    const int rowBytes = spec.bits == 1 ? (spec.width + 7) / 8 : spec.width;
    for (int y = 0; y < spec.height; ++y) {
        std::vector<unsigned char> row(static_cast<size_t>(rowBytes), spec.bits == 1 ? 0 : 255);
        if (spec.mark > 0 && y >= 8 && y < 12) {
            for (int x = spec.mark; x < spec.mark + 4 && x < spec.width; ++x) {
                if (spec.bits == 1)
                    row[static_cast<size_t>(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
                else
                    row[static_cast<size_t>(x)] = 0;
            }
        }
        ASSERT_EQ(TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0), 1);
    }
    TIFFClose(tif);
}

namespace {

std::optional<QString> asciiTag(TIFF* tif, ttag_t tag) {
    char* text = nullptr;
    if (TIFFGetField(tif, tag, &text) != 1 || !text) return std::nullopt;
    return QString::fromLatin1(text);
}

}  // namespace

DiskPage readPage(const QString& path) {
    DiskPage page;
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif) return page;
    page.description = asciiTag(tif, TIFFTAG_IMAGEDESCRIPTION);
    page.model = asciiTag(tif, TIFFTAG_MODEL);
    uint16_t compression = 0, bits = 0, samples = 1, photometric = 0;
    uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    page.compression = compression;
    page.bits = bits * samples;
    page.width = static_cast<int>(width);
    page.height = static_cast<int>(height);

    // The mark: first dark pixel of row 9 (the block's rows), read as stored.
    std::vector<unsigned char> row(static_cast<size_t>(TIFFScanlineSize(tif)));
    bool ok = true;
    for (uint32_t y = 0; y < height && ok; ++y) {
        ok = TIFFReadScanline(tif, row.data(), y, 0) == 1;
        if (!ok || y != 9 || page.bits != 1) continue;
        for (uint32_t x = 0; x < width; ++x) {
            const bool bit = (row[x / 8] >> (7 - x % 8)) & 1;
            const bool black = photometric == PHOTOMETRIC_MINISWHITE ? bit : !bit;
            if (black) {
                page.mark = static_cast<int>(x);
                break;
            }
        }
    }
    page.readable = ok;
    TIFFClose(tif);
    return page;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeText(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

PagesTest::PagesTest() : controls(std::make_unique<TestControls>()) {
    state.captionprefix = QStringLiteral("Leafmark  ");
    records = std::make_unique<PageRecords>(state, dialogs, *controls);
}

PagesTest::~PagesTest() = default;

void PagesTest::makePages(int count) {
    for (int i = 1; i <= count; ++i) {
        PageSpec spec;
        spec.mark = i;
        writePage(path(QStringLiteral("%1.tif").arg(i, 8, 10, QLatin1Char('0'))), spec);
    }
}

QString PagesTest::shownName() const {
    return state.currentfile.mid(state.currentfile.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringList PagesTest::eodFiles() const {
    return QDir(dir.path()).entryList({QStringLiteral("*.EOD")}, QDir::Files, QDir::Name);
}

}  // namespace leafmark::testing
