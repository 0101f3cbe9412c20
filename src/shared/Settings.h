#pragma once
// The settings file: one INI section "Setup", keys compared without regard to
// case, values read into a fixed-size buffer (at most buffer - 1 characters).
// Writes change one key's line and keep every other line of the file.

#include <QString>
#include <cstdint>
#include <optional>

#include "imaging/engine/Status.h"

namespace leafmark {

constexpr int kNumberBuffer = 5;
constexpr int kFolderBuffer = 100;
inline const QString kSettingsSection = QStringLiteral("Setup");

// The stored value of `key` in `section`, or `defaultText` when the file, the
// section or the key is absent; cut to bufferSize - 1 characters. A key present
// with nothing after "=" gives the empty text.
QString readProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultText, int bufferSize);

// Replaces (or adds) the key's line, creating the file and the section when absent (and the
// folder of the user's own settings file, see SettingsLocation.h);
// every other line is kept byte for byte and the file is replaced atomically.
// Fails, changing nothing, when the file could not be read or written, or when a
// name or value holds a line break or a character outside 8-bit Latin-1.
imaging::Status writeProfileString(const QString& file, const QString& section, const QString& key,
                                   const QString& value);

// The numeric value of the leading text (digits with optional sign, decimal
// point and exponent); 0 when the text does not begin with a number.
double leadingNumber(const QString& text);

// Rounds half to even; nullopt when the result does not fit.
std::optional<std::int16_t> roundToInt16(double value);
std::optional<std::int32_t> roundToInt32(double value);

// Number keys: the leading number of the stored value (buffer of 5), rounded.
std::optional<std::int16_t> readInt16Setting(const QString& file, const QString& key,
                                             const QString& defaultText);
std::optional<std::int32_t> readInt32Setting(const QString& file, const QString& key,
                                             const QString& defaultText);
// Folder keys: the stored value (buffer of 100) with spaces removed at both ends.
QString readFolderSetting(const QString& file, const QString& key);
// "Margin": the leading number written back as decimal text (0.25, 1.5, 0).
QString readMarginSetting(const QString& file, const QString& key, const QString& defaultText);
// A number as the settings file's reader writes it back: shortest decimal form.
QString numberText(double value);

}  // namespace leafmark
