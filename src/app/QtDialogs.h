#pragma once
// The program's dialogs: Qt message boxes, input box and file dialogs.

#include "shared/Dialogs.h"

namespace leafmark::app {

// Turns a filter of the "Description|pattern|Description|pattern" form into Qt's
// "Description (pattern);;..." form; text without "|" is returned unchanged.
QString qtFileFilter(const QString& filter);

class QtDialogs : public Dialogs {
  public:
    // Yes/No/Cancel boxes answer Cancel when closed by their frame or ESC; OK boxes answer Ok.
    MsgAnswer message(QWidget* owner, const QString& text, MsgButtons buttons, MsgIcon icon,
                      const QString& title) override;
    std::optional<QString> input(QWidget* owner, const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(QWidget* owner, const QString& filter,
                                    const QString& startFolder) override;
    void setRecentFolders(const QStringList& folders) override { recent_ = folders; }
    // Save dialog: returns the chosen path, existing or not; it asks no overwrite
    // question of its own (the caller does).
    std::optional<QString> saveFile(QWidget* owner, const QString& filter,
                                    const QString& startFolder,
                                    const QString& initialName) override;
    // The separator settings dialog (app/SeparatorDialog).
    std::optional<SeparatorSettings> separatorSettings(QWidget* owner,
                                                       const SeparatorSettings& current) override;
    void beep() override;

  private:
    QStringList recent_;
};

}  // namespace leafmark::app
