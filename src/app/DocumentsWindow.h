#pragma once
// The "Documents" window: a read-only report of the page folder's documents (as
// the markers define them) and of the marker check's findings. Double-clicking a
// page asks the main window to show it.

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace leafmark::app {

class DocumentsWindow : public QWidget {
    Q_OBJECT
  public:
    explicit DocumentsWindow(QWidget* parent = nullptr);

    // Reads `folder` again and shows its documents and findings; an empty folder
    // name says that no page is open.
    void showFolder(const QString& folder);

    QTreeWidget* documentTree() const { return tree_; }
    QListWidget* findingList() const { return findings_; }

  signals:
    // A page was double-clicked: its full path.
    void pageChosen(const QString& path);

  private:
    void itemActivated(QTreeWidgetItem* item);

    QString folder_;
    QLabel* heading_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QListWidget* findings_ = nullptr;
};

}  // namespace leafmark::app
