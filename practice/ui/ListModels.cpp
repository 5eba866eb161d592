#include "practice/ui/ListModels.h"

#include "data/Document.h"
#include "practice/Query.h"
#include "practice/Speech.h"
#include "practice/TaskList.h"
#include "practice/ui/ViewImages.h"
#include "ui/Text.h"

namespace {

// The same picture in every state: a selected row must not tint the statistics.
QIcon Untinted(const QPixmap& pixmap)
{
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Selected);
    icon.addPixmap(pixmap, QIcon::Active);
    return icon;
}

} // namespace

CTaskListModel::CTaskListModel(const cQuery& query, QObject* parent)
    : QAbstractTableModel(parent), m_query(query)
{
    m_nRows = m_query.RowCount();
    m_nColumns = m_query.ColumnCount();
}

int CTaskListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_nRows;
}

int CTaskListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_nColumns;
}

QVariant CTaskListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    const int column = index.column();
    // The counts are the ones the views were told; the query may already be ahead of
    // them while a notification is on its way.
    if (!index.isValid() || row >= m_query.RowCount() || column >= m_query.ColumnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return ToQString(m_query.CellText(row, column));
    case Qt::DecorationRole:
        if (m_query.ColumnKind(column) == ColumnStatistics)
            return Untinted(ViewImages::TaskImage(m_query.RowImage(row)));
        return {};
    case Qt::AccessibleTextRole: {
        // Screen readers hear the statistics image as its counters, an empty cell as such.
        if (m_query.ColumnKind(column) == ColumnStatistics) {
            const int task = m_query.TaskOfRow(row);
            const cTrainingData& data = m_query.Document().m_data;
            if (task >= 0 && task < static_cast<int>(data.m_aTasks.size()))
                return ToQString(RowImageSpeech(data.m_aTasks[task], m_query.RowImage(row),
                                                m_query.ExamActive(), m_query.EvaluationActive()));
        }
        const QString text = ToQString(m_query.CellText(row, column));
        return text.trimmed().isEmpty() ? QStringLiteral("leer") : text;
    }
    case RowImageRole:
        return m_query.RowImage(row);
    case TaskIndexRole:
        return m_query.TaskOfRow(row);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant CTaskListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_query.ColumnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return ToQString(m_query.ColumnTitle(section));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void CTaskListModel::Reset()
{
    beginResetModel();
    m_nRows = m_query.RowCount();
    m_nColumns = m_query.ColumnCount();
    endResetModel();
}

void CTaskListModel::ResetColumns()
{
    Reset();
}

void CTaskListModel::RowChanged(int row)
{
    if (row < 0 || row >= m_nRows || m_nColumns == 0)
        return;
    emit dataChanged(index(row, 0), index(row, m_nColumns - 1));
}

void CTaskListModel::AllRowsChanged()
{
    if (m_nRows > 0 && m_nColumns > 0)
        emit dataChanged(index(0, 0), index(m_nRows - 1, m_nColumns - 1));
}

QVariant CTaskIconProxy::data(const QModelIndex& index, int role) const
{
    if (role == Qt::DecorationRole && index.column() == 0) {
        const QVariant image = sourceModel()->data(mapToSource(index),
                                                   CTaskListModel::RowImageRole);
        if (image.isValid())
            return Untinted(ViewImages::TaskImage(image.toInt()));
        return {};
    }
    return QIdentityProxyModel::data(index, role);
}

CQuestionnaireListModel::CQuestionnaireListModel(const cQuery& query, QObject* parent)
    : QAbstractListModel(parent), m_query(query)
{
    m_nRows = m_query.OverviewCount();
}

int CQuestionnaireListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_nRows;
}

QVariant CQuestionnaireListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= m_query.OverviewCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const QString title = ToQString(m_query.OverviewTitle(row));
        std::string note = m_query.OverviewNote(row);
        if (const std::string extra = m_extraNote ? m_extraNote(row) : std::string(); !extra.empty())
            note += (note.empty() ? "" : "; ") + extra;
        return note.empty() ? title
                            : title + QStringLiteral("  (") + QString::fromStdString(note) +
                                  QLatin1Char(')');
    }
    case Qt::DecorationRole:
        return Untinted(ViewImages::QuestionnaireImage(m_query.OverviewIcon(row)));
    default:
        return {};
    }
}

void CQuestionnaireListModel::Reset()
{
    beginResetModel();
    m_nRows = m_query.OverviewCount();
    endResetModel();
}

void CQuestionnaireListModel::NotesChanged()
{
    if (m_nRows > 0)
        emit dataChanged(index(0), index(m_nRows - 1), {Qt::DisplayRole, Qt::ToolTipRole});
}
