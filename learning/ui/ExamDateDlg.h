#pragma once
// "Prüfungstermin": the dialog that sets or clears the exam date of a training file.
// The date lives in the answer history, not in the file.

#include <QDialog>

#include <cstdint>

class QDateEdit;
class QLabel;

class CExamDateDlg : public QDialog {
    Q_OBJECT
public:
    explicit CExamDateDlg(QWidget* parent = nullptr);

    /// Shows the exam date day (local days since 1970, -1 for none); without one the
    /// field offers a month from today.
    void Load(std::int64_t day, std::int64_t today);
    /// The chosen exam date after OK, -1 after "Kein Prüfungstermin".
    [[nodiscard]] std::int64_t Day() const;

protected:
    /// F4 and Alt+Down open the calendar, as they open a combo box's list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDateEdit* m_date = nullptr;
    QLabel* m_state = nullptr;
    bool m_bCleared = false;
};
