#include "shared/NativePath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cstdio>

namespace leafmark {

namespace {

constexpr char16_t kKeptFirst = 0xDC80;  // stands for byte 0x80
constexpr char16_t kKeptLast = 0xDCFF;   // stands for byte 0xFF

bool isKeptByte(char16_t unit) { return unit >= kKeptFirst && unit <= kKeptLast; }

// Length of the valid UTF-8 sequence at `p` (of `left` bytes), 0 when none starts
// there: overlong forms, surrogates and values above U+10FFFF are not valid.
int validSequence(const unsigned char* p, qsizetype left, char32_t& value) {
    const unsigned char lead = p[0];
    int length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        value = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        min = 0x80;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        min = 0x800;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        min = 0x10000;
        value = lead & 0x07;
    } else
        return 0;
    if (left < length) return 0;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        value = (value << 6) | (p[k] & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

// Index of the first kept byte of `path` at or after `from` (a low surrogate of
// the kept range not completing a pair), or -1 when there is none.
qsizetype nextKeptByte(QStringView path, qsizetype from) {
    const qsizetype n = path.size();
    for (qsizetype i = from; i < n; ++i) {
        const char16_t u = path[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(path[i + 1].unicode()))
            ++i;
        else if (isKeptByte(u))
            return i;
    }
    return -1;
}

}  // namespace

QByteArray nativePath(const QString& path) {
    qsizetype kept = nextKeptByte(path, 0);
    // Without kept bytes the path is what Qt itself would hand the system.
    if (kept < 0) return QFile::encodeName(path);
    QByteArray out;
    out.reserve(path.size() * 3);
    qsizetype runStart = 0;
    for (; kept >= 0; kept = nextKeptByte(path, kept + 1)) {
        out += QStringView(path).mid(runStart, kept - runStart).toUtf8();
        out += static_cast<char>(path[kept].unicode() - kKeptFirst + 0x80);
        runStart = kept + 1;
    }
    out += QStringView(path).mid(runStart).toUtf8();
    return out;
}

std::string nativePathString(const QString& path) { return nativePath(path).toStdString(); }

QString fromNativePath(QByteArrayView bytes) {
    if (bytes.isValidUtf8()) return QString::fromUtf8(bytes);
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        char32_t value = 0;
        const int length = validSequence(p + i, n - i, value);
        if (length == 0) {
            out += QChar(static_cast<char16_t>(kKeptFirst + (p[i] - 0x80)));
            ++i;
            continue;
        }
        if (value >= 0x10000) {
            out += QChar(QChar::highSurrogate(value));
            out += QChar(QChar::lowSurrogate(value));
        } else {
            out += QChar(static_cast<char16_t>(value));
        }
        i += length;
    }
    return out;
}

QString shownPath(const QString& path) {
    QString out = path;
    for (qsizetype kept = nextKeptByte(path, 0); kept >= 0; kept = nextKeptByte(path, kept + 1))
        out[kept] = QChar::ReplacementCharacter;
    return out;
}

QString foldedName(const QString& name) {
    qsizetype kept = nextKeptByte(name, 0);
    if (kept < 0) return name.toCaseFolded();
    // Folding goes code point by code point, so the runs between kept bytes
    // fold on their own.
    QString out;
    out.reserve(name.size());
    qsizetype runStart = 0;
    for (; kept >= 0; kept = nextKeptByte(name, kept + 1)) {
        out += name.mid(runStart, kept - runStart).toCaseFolded();
        out += name[kept];
        runStart = kept + 1;
    }
    out += name.mid(runStart).toCaseFolded();
    return out;
}

bool pathExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0;
}

bool removeFile(const QString& path) { return ::unlink(nativePath(path).constData()) == 0; }

bool renameFile(const QString& from, const QString& to) {
    return std::rename(nativePath(from).constData(), nativePath(to).constData()) == 0;
}

}  // namespace leafmark
