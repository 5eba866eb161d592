#include "ui/FileDialog.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QTreeView>

namespace {

// Unknown types would read "unknown"; a training file is named for what it is.
class cTypeNames : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override
    {
        if (info.isFile() && info.suffix().compare(QStringLiteral("vdr"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Trainingsdatei");
        return QFileIconProvider::type(info);
    }
};

QString Run(QFileDialog& dialog, QString* selectedFilter)
{
    PrepareFileDialog(dialog);
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

} // namespace

void PrepareFileDialog(QFileDialog& dialog)
{
    static cTypeNames names;
    dialog.setIconProvider(&names);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(std::max(dialog.width(), 860), std::max(dialog.height(), 520));
    // The name takes the room left; size, type and date are never cut.
    if (auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = tree->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& dir,
                       const QString& filter, QString* selectedFilter)
{
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Run(dialog, selectedFilter);
}

QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& dir,
                       const QString& filter, QString* selectedFilter)
{
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    return Run(dialog, selectedFilter);
}
