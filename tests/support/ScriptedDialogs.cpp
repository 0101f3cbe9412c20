#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace leafmark::testing {

MsgAnswer ScriptedDialogs::message(QWidget*, const QString& text, MsgButtons buttons, MsgIcon icon,
                                   const QString& title) {
    messages.push_back({text, buttons, icon, title});
    if (messageAnswers.empty()) {
        ADD_FAILURE() << "unexpected message box: " << text.toStdString();
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
    MsgAnswer a = messageAnswers.front();
    messageAnswers.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogs::input(QWidget*, const QString& prompt, const QString&,
                                              const QString&) {
    inputPrompts << prompt;
    if (inputAnswers.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return std::nullopt;
    }
    auto a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const QString& filter,
                                                 const QString& startFolder) {
    openFilters << filter;
    openStartFolders << startFolder;
    if (openAnswers.empty()) {
        ADD_FAILURE() << "unexpected open dialog";
        return std::nullopt;
    }
    auto a = openAnswers.front();
    openAnswers.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*, const QString& filter,
                                                 const QString& startFolder, const QString&) {
    saveFilters << filter;
    saveStartFolders << startFolder;
    if (saveAnswers.empty()) {
        ADD_FAILURE() << "unexpected save dialog";
        return std::nullopt;
    }
    auto a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

std::optional<SeparatorSettings> ScriptedDialogs::separatorSettings(
    QWidget*, const SeparatorSettings& current) {
    separatorShown.push_back(current);
    if (separatorAnswers.empty()) {
        ADD_FAILURE() << "unexpected separator settings dialog";
        return std::nullopt;
    }
    auto a = separatorAnswers.front();
    separatorAnswers.pop_front();
    return a;
}

QStringList ScriptedDialogs::messageTexts() const {
    QStringList out;
    for (const auto& m : messages) out << m.text;
    return out;
}

}  // namespace leafmark::testing
