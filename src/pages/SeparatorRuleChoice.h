#pragma once
// The separator rule the operator chose (SeparatorSettings, as stored) made ready
// for the detection: a setting that cannot be used is replaced by its default and
// said so in plain words, so a typing error never stops the window or leaves it
// without a rule. Qt Core only.

#include <QList>
#include <QString>

#include "imaging/separators/SeparatorDetect.h"
#include "shared/SeparatorSettings.h"

namespace leafmark {

// A setting that cannot be used: what is wrong with it, and what is used instead.
struct SeparatorSettingProblem {
    QString fault;     // "The separator pattern \"(\" is not a valid regular expression: ..."
    QString fallback;  // "Separators are found without a pattern."
    QString text() const { return fault + QLatin1Char(' ') + fallback; }
};

struct SeparatorRuleChoice {
    imaging::SeparatorRule rule;
    imaging::Symbologies symbologies = imaging::defaultSymbologies();
    QList<SeparatorSettingProblem> problems;  // none when every setting is used
};

SeparatorRuleChoice separatorRuleChoice(const SeparatorSettings& settings);

}  // namespace leafmark
