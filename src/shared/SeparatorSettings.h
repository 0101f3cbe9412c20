#pragma once
// Which pages the main window takes for separator sheets, as the operator chose it:
// section "Separators" of the settings file, apart from the "Setup" keys. The texts
// are kept as stored; pages/SeparatorRuleChoice turns them into the rule.

#include <QString>

#include "imaging/engine/Status.h"

namespace leafmark {

inline const QString kSeparatorSection = QStringLiteral("Separators");
// A pattern is read into a buffer of this size (at most kPatternBuffer - 1 characters).
constexpr int kPatternBuffer = 1024;

struct SeparatorSettings {
    QString kinds = QStringLiteral("barcode");  // "barcode", "blank" or "both"
    QString pattern;                            // barcode text pattern; empty: none
    QString symbologies;  // comma-separated names ("Code128,QRCode"); empty: the default set
    bool operator==(const SeparatorSettings&) const = default;
};

// Keys "Kinds", "Pattern" and "Symbologies" of section "Separators"; an absent key
// gives its default above. Blanks around each value are dropped.
SeparatorSettings readSeparatorSettings(const QString& file);

// Writes the three keys, each changing only its own line. Fails when one could not
// be written (the file or its folder not writable); a character outside 8-bit
// Latin-1 in any value writes none.
imaging::Status writeSeparatorSettings(const QString& file, const SeparatorSettings& settings);

}  // namespace leafmark
