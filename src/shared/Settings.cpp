#include "shared/Settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>
#include <vector>

#include "imaging/engine/OutputFile.h"
#include "shared/RegularFile.h"
#include "shared/SettingsLocation.h"

namespace leafmark {
namespace {

// One line of the settings file: its text and the ending it had ("\r\n", "\n",
// or "" for a last line without one), so that untouched lines are written back
// byte for byte.
struct Line {
    QString text;
    QString eol;
};

using Lines = std::vector<Line>;

Lines splitLines(const QString& text) {
    Lines lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype nl = text.indexOf(QLatin1Char('\n'), start);
        if (nl < 0) {
            lines.push_back({text.mid(start), QString()});
            break;
        }
        qsizetype end = nl;
        QString eol = QStringLiteral("\n");
        if (end > start && text.at(end - 1) == QLatin1Char('\r')) {
            --end;
            eol = QStringLiteral("\r\n");
        }
        lines.push_back({text.mid(start, end - start), eol});
        start = nl + 1;
    }
    return lines;
}

// The file's lines, read as 8-bit text; nullopt when the file cannot be read.
// Only a regular file of sensible size counts: a named pipe or a link to a
// device there reads as unreadable (and so is never written either).
std::optional<Lines> loadLines(const QString& file) {
    constexpr qint64 kMaxSettingsBytes = 4 * 1024 * 1024;
    const std::optional<QByteArray> bytes = readRegularFile(file, kMaxSettingsBytes);
    if (!bytes) return std::nullopt;
    return splitLines(QString::fromLatin1(*bytes));
}

bool isBlank(const QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString trimBlanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.mid(b, e - b).toString();
}

// The section named by a "[name]" line (blanks inside the brackets ignored);
// nullopt for any other line.
std::optional<QString> sectionOf(const QString& line) {
    const QString t = trimBlanks(line);
    if (!t.startsWith(QLatin1Char('['))) return std::nullopt;
    qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) close = t.size();
    return trimBlanks(QStringView(t).mid(1, close - 1));
}

// Key and value of a "key = value" line; false for blank lines, comments
// (";" first) and lines without "=".
bool keyValueOf(const QString& line, QString* key, QString* value) {
    const QString t = trimBlanks(line);
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0) return false;
    *key = trimBlanks(QStringView(t).left(eq));
    *value = trimBlanks(QStringView(t).mid(eq + 1));
    return true;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Index range [header, end) of the first section named `section`; header is -1
// when there is none.
struct Span {
    qsizetype header = -1;
    qsizetype end = 0;
};

Span findSection(const Lines& lines, const QString& section) {
    Span span;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const auto name = sectionOf(lines[i].text);
        if (!name) continue;
        if (span.header >= 0) return {span.header, i};
        if (sameName(*name, section)) span.header = i;
    }
    span.end = qsizetype(lines.size());
    return span;
}

// Index of the key's line inside the span, or -1.
qsizetype findKey(const Lines& lines, const Span& span, const QString& key, QString* value) {
    QString k, v;
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        if (keyValueOf(lines[i].text, &k, &v) && sameName(k, key)) {
            if (value) *value = v;
            return i;
        }
    }
    return -1;
}

bool isLatin1(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() > 0xFF) return false;
    return true;
}

bool hasLineBreakOrNul(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r')) || s.contains(QChar(0));
}

// Names and values that would change the file's structure (a line break adds
// lines, "=" in a key or "]" in a section name moves the split) or that cannot
// be stored in 8-bit text are refused rather than written mangled.
bool writable(const QString& section, const QString& key, const QString& value) {
    const QString k = trimBlanks(key), s = trimBlanks(section);
    if (k.isEmpty() || s.isEmpty() || k != key) return false;
    if (k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char(';')) ||
        k.startsWith(QLatin1Char('[')) || s.contains(QLatin1Char(']')))
        return false;
    if (hasLineBreakOrNul(section) || hasLineBreakOrNul(key) || hasLineBreakOrNul(value))
        return false;
    return isLatin1(section) && isLatin1(key) && isLatin1(value);
}

QString lineEndingOf(const Lines& lines) {
    for (const Line& l : lines)
        if (!l.eol.isEmpty()) return l.eol;
    return QStringLiteral("\n");
}

template <typename T>
std::optional<T> roundTo(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double r = std::floor(value);
    const double diff = value - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

}  // namespace

QString readProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultText, int bufferSize) {
    if (bufferSize <= 0) return QString();
    QString value = defaultText;
    if (const auto lines = loadLines(file)) {
        const Span span = findSection(*lines, section);
        QString stored;
        if (span.header >= 0 && findKey(*lines, span, key, &stored) >= 0) value = stored;
    }
    // The value ends at a NUL as in a C buffer.
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0) value.truncate(nul);
    return value.left(bufferSize - 1);
}

namespace {

// A settings file the user made read-only is never replaced (the new text would be
// renamed over it): no write permission for this user, or none in its mode at all.
bool writeProtected(const QString& file) {
    const QByteArray path = QFile::encodeName(file);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0;
}

}  // namespace

imaging::Status writeProfileString(const QString& file, const QString& section, const QString& key,
                                   const QString& value) {
    const auto failure = [](const QString& text) {
        return imaging::Status::failure(text.toStdString());
    };
    if (!writable(section, key, value))
        return failure(QStringLiteral("the setting %1 of [%2] cannot be written: an empty or "
                                      "unusable name, a line break or a character outside "
                                      "8-bit Latin-1")
                           .arg(key, section));
    if (writeProtected(file))
        return failure(QStringLiteral("the settings file %1 is write-protected").arg(file));
    Lines lines;
    if (QFileInfo::exists(file)) {
        // A file that exists but cannot be read is left alone: rewriting it
        // from nothing would lose every other setting.
        auto loaded = loadLines(file);
        if (!loaded) return failure(QStringLiteral("cannot read the settings file %1").arg(file));
        lines = std::move(*loaded);
    }
    const QString eol = lineEndingOf(lines);
    const QString entry = key + QLatin1Char('=') + value;
    const Span span = findSection(lines, section);
    if (span.header < 0) {
        if (!lines.empty() && lines.back().eol.isEmpty()) lines.back().eol = eol;
        lines.push_back({QLatin1Char('[') + section + QLatin1Char(']'), eol});
        lines.push_back({entry, eol});
    } else if (const qsizetype at = findKey(lines, span, key, nullptr); at >= 0) {
        QString storedKey, ignored;
        keyValueOf(lines[at].text, &storedKey, &ignored);
        lines[at].text = storedKey + QLatin1Char('=') + value;
    } else {
        // After the section's last non-blank line, so blank lines that part it
        // from the next section stay where they are.
        qsizetype pos = span.end;
        while (pos > span.header + 1 && trimBlanks(lines[pos - 1].text).isEmpty()) --pos;
        if (lines[pos - 1].eol.isEmpty()) lines[pos - 1].eol = eol;
        lines.insert(lines.begin() + pos, Line{entry, eol});
    }

    QString text;
    for (const Line& l : lines) text += l.text + l.eol;
    // The user's settings folder exists only once something has been written.
    if (!prepareSettingsFolder(file))
        return failure(QStringLiteral("cannot make the folder of the settings file %1").arg(file));
    imaging::OutputFile out(
        QStringLiteral("cannot write the settings file %1: ").arg(file).toStdString());
    if (const imaging::Status opened = out.open(QFile::encodeName(file).toStdString()); !opened)
        return opened;
    const QByteArray bytes = text.toLatin1();
    if (const imaging::Status written =
            out.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        !written)
        return written;
    return out.commit();
}

double leadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i])) ++i;
    QByteArray num;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        num += char(text[i++].unicode());
    int digits = 0;
    while (i < n && isDigit(text[i])) {
        num += char(text[i++].unicode());
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        num += '.';
        ++i;
        while (i < n && isDigit(text[i])) {
            num += char(text[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0) return 0.0;
    // An exponent counts only when at least one digit follows "E" and its sign.
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        QByteArray exp = "e";
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            exp += char(text[j++].unicode());
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j])) exp += char(text[j++].unicode());
            num += exp;
        }
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    if (ok) return v;
    // Out of range: too large reads as an infinity (refused by the rounding),
    // too small as zero.
    const double sign = num.startsWith('-') ? -1.0 : 1.0;
    const qsizetype e = num.indexOf('e');
    const bool tiny = e >= 0 && num.mid(e + 1).startsWith('-');
    return tiny ? 0.0 * sign : sign * std::numeric_limits<double>::infinity();
}

std::optional<std::int16_t> roundToInt16(double value) { return roundTo<std::int16_t>(value); }
std::optional<std::int32_t> roundToInt32(double value) { return roundTo<std::int32_t>(value); }

std::optional<std::int16_t> readInt16Setting(const QString& file, const QString& key,
                                             const QString& defaultText) {
    return roundToInt16(
        leadingNumber(readProfileString(file, kSettingsSection, key, defaultText, kNumberBuffer)));
}

std::optional<std::int32_t> readInt32Setting(const QString& file, const QString& key,
                                             const QString& defaultText) {
    return roundToInt32(
        leadingNumber(readProfileString(file, kSettingsSection, key, defaultText, kNumberBuffer)));
}

QString readFolderSetting(const QString& file, const QString& key) {
    const QString raw = readProfileString(file, kSettingsSection, key, QString(), kFolderBuffer);
    qsizetype b = 0, e = raw.size();
    while (b < e && raw[b] == QLatin1Char(' ')) ++b;
    while (e > b && raw[e - 1] == QLatin1Char(' ')) --e;
    return raw.mid(b, e - b);
}

QString readMarginSetting(const QString& file, const QString& key, const QString& defaultText) {
    return numberText(
        leadingNumber(readProfileString(file, kSettingsSection, key, defaultText, kNumberBuffer)));
}

QString numberText(double value) {
    if (value == 0.0 || !std::isfinite(value)) return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

}  // namespace leafmark
