#include "shared/SeparatorSettings.h"

#include "shared/Settings.h"

namespace leafmark {
namespace {

const QString kKinds = QStringLiteral("Kinds");
const QString kPattern = QStringLiteral("Pattern");
const QString kSymbologies = QStringLiteral("Symbologies");

QString readValue(const QString& file, const QString& key, const QString& defaultText) {
    return readProfileString(file, kSeparatorSection, key, defaultText, kPatternBuffer).trimmed();
}

}  // namespace

SeparatorSettings readSeparatorSettings(const QString& file) {
    const SeparatorSettings defaults;
    SeparatorSettings s;
    s.kinds = readValue(file, kKinds, defaults.kinds);
    s.pattern = readValue(file, kPattern, defaults.pattern);
    s.symbologies = readValue(file, kSymbologies, defaults.symbologies);
    return s;
}

imaging::Status writeSeparatorSettings(const QString& file, const SeparatorSettings& settings) {
    // A value the 8-bit file cannot hold keeps all three keys as they were, so the
    // file never holds half of a choice.
    for (const QString* v : {&settings.kinds, &settings.pattern, &settings.symbologies})
        for (const QChar c : *v)
            if (c.unicode() > 0xFF)
                return imaging::Status::failure(
                    QStringLiteral("the separator setting \"%1\" holds a character outside "
                                   "8-bit Latin-1")
                        .arg(*v)
                        .toStdString());
    // Each key is written even when one before it failed; the first failure is told.
    imaging::Status kinds = writeProfileString(file, kSeparatorSection, kKinds, settings.kinds);
    imaging::Status pattern =
        writeProfileString(file, kSeparatorSection, kPattern, settings.pattern);
    imaging::Status symbologies =
        writeProfileString(file, kSeparatorSection, kSymbologies, settings.symbologies);
    return !kinds ? kinds : !pattern ? pattern : symbologies;
}

}  // namespace leafmark
