#pragma once
// A folder's file names matching a pattern list (like "*.tif*;*.eod"), matched
// and sorted without regard to case, hidden files left out; with a selection.

#include <QString>
#include <QStringList>

namespace leafmark {

class FileList {
  public:
    // Points the list at `folder` with `patterns` (";"-separated wildcards) and
    // re-reads it; clears the selection. A folder that cannot be read gives an empty list.
    void read(const QString& folder, const QString& patterns);
    void clear();
    // Leaves out the names ending with `suffix` (without regard to case); clears the selection.
    void exclude(const QString& suffix);

    const QString& folder() const { return folder_; }
    int count() const { return static_cast<int>(names_.size()); }
    // Bare name as stored on disk (bytes that are not UTF-8 kept as NativePath
    // keeps them); empty for an index out of range.
    QString at(int index) const;
    const QStringList& names() const { return names_; }
    // The folder's end-of-document files, seen in the same pass as the names
    // (see listEndOfDocumentFiles); exclude() leaves them alone.
    const QStringList& endOfDocumentNames() const { return endOfDocumentNames_; }

    int selectedIndex() const { return selected_; }  // -1 when nothing is selected
    void select(int index);                          // out of range selects nothing

  private:
    QString folder_;
    QStringList names_;
    QStringList endOfDocumentNames_;
    int selected_ = -1;
};

// The end-of-document files of `folder`: names ending in "ZZZ.EOD" in any case,
// hidden ones too, anything but a folder; sorted without regard to case.
QStringList listEndOfDocumentFiles(const QString& folder);

}  // namespace leafmark
