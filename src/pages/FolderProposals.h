#pragma once
// The separator sheets of the folder the window shows and the document starts
// they propose, kept beside the folder's markers (FolderMarks). The pages are read
// in the background by a SeparatorScanner as soon as a folder is opened; a start
// is "agreeing" when the markers already make the page begin a document as a save
// with the document marker would, and "proposed" otherwise. Qt Core only.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "imaging/separators/SeparatorDetect.h"
#include "pages/SeparatorScanner.h"

namespace leafmark {

class FolderMarks;

class FolderProposals : public QObject {
    Q_OBJECT
  public:
    // `marks` describes the same folder list and must outlive this object.
    explicit FolderProposals(const FolderMarks& marks, QObject* parent = nullptr);

    // Reads the separator sheets of `folder` (`names` in folder-list order) in the
    // background; what an earlier folder showed is forgotten at once.
    void start(const QString& folder, const QStringList& names);
    // Stops reading (the page in hand is finished first).
    void stop() { scanner_.stop(); }

    // The rule pages are judged by from now on, and the barcodes looked for. The
    // folder shown is judged again in the background: readings kept for the same
    // symbologies are used again, so only a new set of symbologies decodes pages.
    void setRule(imaging::SeparatorRule rule, imaging::Symbologies symbologies);
    const imaging::SeparatorRule& rule() const { return rule_; }

    // Brings the starts up to date with the markers (call after they changed).
    void update();

    int count() const { return static_cast<int>(state_.size()); }
    int pagesRead() const { return read_; }
    bool finished() const { return read_ == count(); }
    bool separator(int index) const { return has(index, kSeparator); }
    // What made page `index` a separator ("barcode Code128 \"SEP-1\"", "blank page").
    QString why(int index) const;
    bool proposed(int index) const { return has(index, kProposed); }
    bool agrees(int index) const { return has(index, kAgrees); }
    int proposedCount() const { return proposed_; }
    // The first proposed start after `index` (`step` 1) or before it (`step` -1),
    // going round the folder's end; -1 when there is none but `index` itself.
    int nextProposed(int index, int step) const;

    SeparatorScanner& scanner() { return scanner_; }

  signals:
    // Separators were found or starts changed; sent at most every tenth of a second
    // while the pages are read.
    void changed();

  private:
    enum Bit : std::uint8_t { kSeparator = 1, kProposed = 2, kAgrees = 4, kRead = 8 };
    bool has(int index, Bit bit) const {
        return index >= 0 && index < count() && (state_[static_cast<std::size_t>(index)] & bit);
    }
    void pageRead(int index);

    const FolderMarks& marks_;
    SeparatorScanner scanner_;
    imaging::SeparatorRule rule_;
    QString folder_;  // the folder shown and its page list
    QStringList names_;
    std::vector<std::uint8_t> state_;
    std::vector<QString> why_;
    int read_ = 0;
    int proposed_ = 0;
    QTimer notify_;
};

}  // namespace leafmark
