#pragma once
// Item models of the training view's two lists. They hold no data of their own: every
// cell is read from the query on demand, so a list of 100,000 tasks costs nothing until
// its rows become visible.

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QIdentityProxyModel>

#include <functional>
#include <string>

class cQuery;

/// The task list (control 1002): one row per entry of the open questionnaire, the
/// file's configured columns, the statistics image in the statistics column.
class CTaskListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Role that gives the row's image (statistics or exam state) in any column.
    static constexpr int RowImageRole = Qt::UserRole + 1;
    /// Role that gives the index of the task (into the file's task array) of a row.
    static constexpr int TaskIndexRole = Qt::UserRole + 2;

    explicit CTaskListModel(const cQuery& query, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    /// The rows were rebuilt, sorted or removed: reread everything.
    void Reset();
    /// The columns changed.
    void ResetColumns();
    /// One row's texts or image changed.
    void RowChanged(int row);
    /// The texts or images of any rows changed (another window on the file counted).
    void AllRowsChanged();

private:
    const cQuery& m_query;
    int m_nRows = 0;
    int m_nColumns = 0;
};

/// The small-icon style shows column 0's text with the row's image, whichever column
/// the statistics are in.
class CTaskIconProxy : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

/// The questionnaire overview (control 1009): title and icon of each questionnaire.
class CQuestionnaireListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CQuestionnaireListModel(const cQuery& query, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    /// The questionnaires changed: reread everything.
    void Reset();
    /// A further note behind the plan's counts of a row (the exam readiness), UTF-8.
    void SetExtraNote(std::function<std::string(int row)> note) { m_extraNote = std::move(note); }
    /// The notes changed (not the rows): repaint every row.
    void NotesChanged();

private:
    const cQuery& m_query;
    std::function<std::string(int row)> m_extraNote;
    int m_nRows = 0;
};
