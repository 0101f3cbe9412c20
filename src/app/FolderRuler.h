#pragma once
// A thin bar with one mark per page of the folder: dark ticks where documents
// begin, orange where a page carries "Changed", red for pages read only in part,
// a magenta band along the top of pages named by a finding of the marker check,
// a blue box on the page shown; pages whose markers are not read yet are paler.
// Separator sheets have a light blue cell, a start they propose a green tick, and
// a start that agrees with the markers a dark tick with a green lower half.
// With more pages than pixels each pixel column stands for the pages under it.

#include <QWidget>

#include "pages/FolderMarks.h"

namespace leafmark {
class FolderProposals;
}

namespace leafmark::app {

class FolderRuler : public QWidget {
    Q_OBJECT
  public:
    FolderRuler(const FolderMarks& marks, QWidget* parent = nullptr);

    void setCurrent(int index);
    // Where the separator sheets and the starts they propose are marked from (may be null).
    void setProposals(const FolderProposals* proposals) { proposals_ = proposals; }
    int current() const { return current_; }
    // The page under x (widget pixels); -1 without pages.
    int pageAt(int x) const;

  signals:
    // The operator clicked the bar over page `index`.
    void pageClicked(int index);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    const FolderMarks& marks_;
    const FolderProposals* proposals_ = nullptr;
    int current_ = -1;
};

}  // namespace leafmark::app
