#pragma once
// The folder model of one directory list: folders only, with the "open" folder
// shown in bold so the operator sees which folder a run will use.

#include <QFileSystemModel>

namespace leafmark::batch {

// Its head is that of every small Qt class here; it shares no logic with them.
class FolderTreeModel : public QFileSystemModel {
    Q_OBJECT
  public:
    explicit FolderTreeModel(QObject* parent = nullptr);

    // Marks `folder` (absolute path) as the open folder; repaints old and new rows.
    void setOpenFolder(const QString& folder);
    const QString& openFolder() const { return open_; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    QString open_;
};

}  // namespace leafmark::batch
