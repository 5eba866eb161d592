#pragma once
// "Prüfungsbogen drucken": the choices of an exam-sheet job (title, header lines, tasks,
// order, variants, seed, points, answer key) and where it goes (preview, printer, PDF).

#include "practice/ExamSheet.h"

#include <QDialog>

class cQuery;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;

class CExamSheetDlg : public QDialog {
    Q_OBJECT
public:
    enum Output { Preview, Printer, Pdf };

    explicit CExamSheetDlg(QWidget* parent = nullptr);

    /// Fills the controls; taskCount is the questionnaire's number of tasks.
    void Load(const cExamSheetOptions& options, int taskCount);
    void Store(cExamSheetOptions& options) const;
    /// The output button that closed the dialog.
    [[nodiscard]] Output ChosenOutput() const { return m_output; }

private:
    void UpdateControls();

    QLineEdit* m_pTitle;
    QCheckBox* m_pName;
    QCheckBox* m_pDate;
    QCheckBox* m_pClass;
    QRadioButton* m_pAllTasks;
    QRadioButton* m_pSomeTasks;
    QSpinBox* m_pTaskCount;
    QRadioButton* m_pListed;
    QRadioButton* m_pShuffled;
    QSpinBox* m_pVariants;
    QLineEdit* m_pSeed;
    QCheckBox* m_pPoints;
    QComboBox* m_pKey;
    Output m_output = Preview;
};

/// "Datei > Prüfungsbogen drucken...": asks for the job of the query's open questionnaire
/// and shows it in the preview, prints it or writes it as PDF. Without a questionnaire,
/// or with an empty one, it says so instead.
void RunExamSheetCommand(QPrinter& printer, cQuery& query, QWidget* parent);
