#pragma once
// "Fragebogenaufteilung": the dialog that edits the open questionnaire as six texts: its
// task numbers, name, exam time, point thresholds and (read-only) total points. What the
// texts do to the questionnaire is the core's cQuery::ApplySplitDialog.

#include "data/ui/DialogText.h"

#include <QDialog>

struct cSplitTexts;
class QLineEdit;

class CSplitDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSplitDlg(QWidget* parent = nullptr);

    /// Fills the six edits.
    void Load(const cSplitTexts& texts);
    /// Writes the five editable texts back (the total points stay as loaded).
    void Store(cSplitTexts& texts) const;

    /// Opens the dialog modally on the texts and stores into them on OK; true when confirmed.
    static bool Edit(cSplitTexts& texts, QWidget* parent);

private:
    QLineEdit* m_pTaskList = nullptr;    // 1057
    QLineEdit* m_pName = nullptr;        // 1058
    QLineEdit* m_pTime = nullptr;        // 1059
    QLineEdit* m_pPassPoints = nullptr;  // 1054
    QLineEdit* m_pRetakePoints = nullptr; // 1061
    QLineEdit* m_pTotalPoints = nullptr; // 1062, read-only

    cShownText m_taskList, m_name;
};
