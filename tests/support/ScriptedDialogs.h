#pragma once
// Dialogs whose answers a test scripts in advance; every question asked is recorded.

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "shared/Dialogs.h"

namespace leafmark::testing {

struct AskedMessage {
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
    QString title;
};

class ScriptedDialogs : public Dialogs {
  public:
    // Answers are used in order; a question with no scripted answer fails the test
    // and answers Cancel (or nullopt).
    std::deque<MsgAnswer> messageAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<SeparatorSettings>> separatorAnswers;

    std::vector<AskedMessage> messages;
    QStringList inputPrompts;
    QStringList openStartFolders;
    QStringList openFilters;
    QStringList saveStartFolders;
    QStringList saveFilters;
    std::vector<SeparatorSettings> separatorShown;  // what each separator dialog showed
    int beeps = 0;

    MsgAnswer message(QWidget* owner, const QString& text, MsgButtons buttons, MsgIcon icon,
                      const QString& title) override;
    std::optional<QString> input(QWidget* owner, const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(QWidget* owner, const QString& filter,
                                    const QString& startFolder) override;
    std::optional<QString> saveFile(QWidget* owner, const QString& filter,
                                    const QString& startFolder,
                                    const QString& initialName) override;
    std::optional<SeparatorSettings> separatorSettings(QWidget* owner,
                                                       const SeparatorSettings& current) override;
    void beep() override { ++beeps; }

    QStringList messageTexts() const;
};

}  // namespace leafmark::testing
