#pragma once
// "Aufgabe bearbeiten": the task editor. It shows every user-visible field of one task
// and writes them back only when the user confirms with OK.

#include "data/ui/DialogText.h"
#include "practice/Editor.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class cTask;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CTaskEditDlg : public QDialog {
    Q_OBJECT
public:
    /// Asks the user for a file: caption, start folder, name filter; empty when cancelled.
    using FileChooser =
        std::function<QString(const QString& caption, const QString& dir, const QString& filter)>;

    explicit CTaskEditDlg(QWidget* parent = nullptr);
    ~CTaskEditDlg() override;

    /// Fills the controls from the task.
    void Load(const cTask& task);
    /// Writes the controls into the task (call after the dialog was accepted).
    void Store(cTask& task) const;
    /// The texts the controls hold now.
    [[nodiscard]] cTaskEditTexts Texts() const;
    /// The position selected in the type list, -1 for none.
    [[nodiscard]] int TypeIndex() const;

    /// Folder that sound and picture names are relative to (trailing "/" optional).
    void SetProgramDir(const QString& dir);
    /// Replaces the file dialog of the two "..." buttons (tests).
    void SetFileChooser(FileChooser chooser);

    /// Opens the editor modally on the task and stores into it on OK; true when confirmed.
    static bool Edit(cTask& task, QWidget* parent);

public slots:
    /// OK: refuses points outside 0 to 8 with a message and stays open.
    void accept() override;

protected:
    bool event(QEvent* event) override;

private:
    void OnChooseSound();
    void OnChoosePicture();
    void ChooseMedia(bool sound);

    QString m_strProgramDir;
    FileChooser m_chooser;

    QComboBox* m_pType = nullptr;          // 1014
    QPlainTextEdit* m_pQuestion = nullptr; // 1001
    QPlainTextEdit* m_pSolution = nullptr; // 1015
    QPlainTextEdit* m_pPattern = nullptr;  // 1016
    QLineEdit* m_pSound = nullptr;         // 1017
    QLineEdit* m_pPicture = nullptr;       // 1019
    QComboBox* m_pPictureSize = nullptr;   // 1044
    QComboBox* m_pPicturePlace = nullptr;  // 1047
    QLineEdit* m_pPoints = nullptr;        // 1054
    QLineEdit* m_pTaskNo = nullptr;        // 1055
    QLineEdit* m_pCategory = nullptr;      // 1056
    std::array<QLineEdit*, kEditorChoices> m_pChoice{};       // 1075-1079
    std::array<QCheckBox*, kEditorChoices> m_pChoiceRight{};  // 1074, 1080-1083
    QCheckBox* m_pSelfAssess = nullptr;    // 1068
    QCheckBox* m_pCaseSensitive = nullptr; // 1018, not bound to the task
    QCheckBox* m_pAutoPlay = nullptr;      // 1045, not bound to the task
    QCheckBox* m_pPlayButton = nullptr;    // 1046, not bound to the task
    QPushButton* m_pChooseSound = nullptr;   // 1040
    QPushButton* m_pChoosePicture = nullptr; // 1041

    // The loaded texts, so that untouched controls give back the task's exact bytes.
    cShownText m_question, m_solution, m_pattern, m_sound, m_picture, m_taskNo, m_category;
    std::array<cShownText, kEditorChoices> m_choice;
};
