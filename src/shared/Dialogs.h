#pragma once
// The modal dialogs the windows use: message boxes, the input box and the two
// file dialogs. The program uses the Qt implementation; tests script the answers.

#include <QString>
#include <QStringList>
#include <optional>

#include "shared/SeparatorSettings.h"

class QWidget;

namespace leafmark {

enum class MsgButtons { Ok, YesNoCancel };
enum class MsgIcon { None, Question, Exclamation, Information, Critical };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A modal message box; closing it by its frame answers Cancel (or Ok for an Ok box).
    virtual MsgAnswer message(QWidget* owner, const QString& text, MsgButtons buttons, MsgIcon icon,
                              const QString& title) = 0;

    // A modal input box; nullopt when the operator cancels.
    virtual std::optional<QString> input(QWidget* owner, const QString& prompt,
                                         const QString& title, const QString& defaultText) = 0;

    // Open-file dialog: filter in "Description (*.pat)" form, starting folder (may be empty).
    // Returns the chosen full path, or nullopt on cancel.
    virtual std::optional<QString> openFile(QWidget* owner, const QString& filter,
                                            const QString& startFolder) = 0;

    // Folders the open-file dialog offers in its side panel (most recent first).
    virtual void setRecentFolders(const QStringList& folders) { (void)folders; }

    // Save-file dialog: filters separated by ";;", starting folder, initial file name.
    // Returns the chosen full path, or nullopt on cancel.
    virtual std::optional<QString> saveFile(QWidget* owner, const QString& filter,
                                            const QString& startFolder,
                                            const QString& initialName) = 0;

    // The separator settings dialog, showing `current`: the settings as the operator
    // left them, or nullopt on cancel. The caller checks them.
    virtual std::optional<SeparatorSettings> separatorSettings(QWidget* owner,
                                                               const SeparatorSettings& current) {
        (void)owner;
        (void)current;
        return std::nullopt;
    }

    // Short system beep.
    virtual void beep() = 0;
};

}  // namespace leafmark
