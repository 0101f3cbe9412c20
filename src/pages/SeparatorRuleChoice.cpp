#include "pages/SeparatorRuleChoice.h"

#include <QRegularExpression>

#include "pages/SeparatorFolder.h"

namespace leafmark {

SeparatorRuleChoice separatorRuleChoice(const SeparatorSettings& settings) {
    SeparatorRuleChoice c;
    const QString kinds = settings.kinds.trimmed().toLower();
    if (kinds == QStringLiteral("blank"))
        c.rule.kinds = imaging::SeparatorKinds::Blank;
    else if (kinds == QStringLiteral("both"))
        c.rule.kinds = imaging::SeparatorKinds::Both;
    else if (!kinds.isEmpty() && kinds != QStringLiteral("barcode"))
        c.problems.append({QStringLiteral("Separator kinds \"%1\" is not barcode, blank or both.")
                               .arg(settings.kinds),
                           QStringLiteral("Barcode sheets are used.")});

    const QString noPattern = QStringLiteral("Separators are found without a pattern.");
    if (settings.pattern.size() >= kPatternBuffer - 1) {
        // It may have been cut when read, and a cut expression can match other texts.
        c.problems.append({QStringLiteral("The separator pattern is longer than %1 characters.")
                               .arg(kPatternBuffer - 2),
                           noPattern});
    } else if (!settings.pattern.isEmpty()) {
        c.rule.pattern = compileBarcodePattern(settings.pattern).matches;
        if (!c.rule.pattern)
            c.problems.append(
                {QStringLiteral("The separator pattern \"%1\" is not a valid regular "
                                "expression: %2.")
                     .arg(settings.pattern, QRegularExpression(settings.pattern).errorString()),
                 noPattern});
    }

    if (!settings.symbologies.trimmed().isEmpty()) {
        const imaging::SymbologyList stored =
            imaging::parseSymbologies(settings.symbologies.toStdString());
        if (stored.status)
            c.symbologies = stored.set;
        else
            c.problems.append(
                {QStringLiteral("Separator barcodes \"%1\": %2.")
                     .arg(settings.symbologies, QString::fromStdString(stored.status.reason())),
                 QStringLiteral("The default ones (%1) are looked for.")
                     .arg(QString::fromStdString(
                         imaging::symbologyNames(imaging::defaultSymbologies())))});
    }
    return c;
}

}  // namespace leafmark
