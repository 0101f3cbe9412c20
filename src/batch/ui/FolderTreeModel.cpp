#include "batch/ui/FolderTreeModel.h"

#include <QFont>

namespace leafmark::batch {

FolderTreeModel::FolderTreeModel(QObject* parent) : QFileSystemModel(parent) {
    setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    setReadOnly(true);
}

void FolderTreeModel::setOpenFolder(const QString& folder) {
    const QModelIndex before = open_.isEmpty() ? QModelIndex() : index(open_);
    open_ = folder;
    if (before.isValid()) emit dataChanged(before, before, {Qt::FontRole});
    const QModelIndex now = index(open_);
    if (now.isValid()) emit dataChanged(now, now, {Qt::FontRole});
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::FontRole && index.column() == 0 && !open_.isEmpty() &&
        filePath(index) == open_) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return QFileSystemModel::data(index, role);
}

}  // namespace leafmark::batch
