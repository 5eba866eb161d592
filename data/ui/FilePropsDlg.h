#pragma once
// "Erweiterte Dateieigenschaften": the automatic questionnaire, the question and answer
// templates and the scrambling of one training file.

#include "data/FileSettings.h"
#include "data/ui/DialogText.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

class CFilePropsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFilePropsDlg(QWidget* parent = nullptr);

    /// Fills the controls from the file's values.
    void Load(const cTrainingData& data);
    /// Writes the controls into the file's values (call after the dialog was accepted).
    void Store(cTrainingData& data) const;
    /// The members as the controls hold them now.
    [[nodiscard]] cFilePropsValues Values() const;

    /// Runs the dialog modally on the file's values and stores them on OK (the caller
    /// decides about the modified flag); true when confirmed.
    static bool Edit(cTrainingData& data, QWidget* parent);

private:
    QCheckBox* m_pShowAll = nullptr;         // 1037
    QLineEdit* m_pQuestionTemplate = nullptr; // 1038
    QLineEdit* m_pRightTemplate = nullptr;   // 1035
    QLineEdit* m_pWrongTemplate = nullptr;   // 1036
    QComboBox* m_pCrypt = nullptr;           // 1039

    cShownText m_question, m_right, m_wrong;
};
