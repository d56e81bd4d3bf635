#include "filedialog.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace {

enum TColumn { kName, kSize, kType, kModified };

// The list's sizes, folders and times written in the program's language rather than the system's.
class TFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() == kName) return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        switch (index.column()) {
        case kSize: {
            if (files->isDir(file)) return QString();
            const qint64 bytes = files->size(file);
            // The toolkit says "байты" after any number below a kilobyte; the short unit reads right after every one.
            return bytes < 1024 ? QStringLiteral("%1 Б").arg(bytes)
                                : QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
        }
        case kType:
            return files->isDir(file) ? QStringLiteral("Папка") : QIdentityProxyModel::data(index, role);
        case kModified:
            return QLocale().toString(files->lastModified(file), QLocale::ShortFormat);
        default:
            return QIdentityProxyModel::data(index, role);
        }
    }
};

} // namespace

TFileDialog::TFileDialog(QWidget* parent, const QString& caption, const QString& directory, const QString& filter)
    : QFileDialog(parent, caption, directory, filter) {
    setProxyModel(new TFileColumns(this));
    // The toolkit's columns are a little narrower than a Russian time and file type: widened as far as they need,
    // an operator's wider ones kept.
    auto* list = findChild<QTreeView*>();
    if (!list) return; // the desktop's own dialog
    const QString widest[] = {QStringLiteral("999,9 МБ"), QStringLiteral("Документ CSV"),
                              QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(20, 28)), QLocale::ShortFormat)};
    for (int column = kSize; column <= kModified; ++column) {
        const int needed = list->fontMetrics().horizontalAdvance(widest[column - kSize]) + 16;
        if (list->header()->sectionSize(column) < needed) list->header()->resizeSection(column, needed);
    }
}
