#pragma once
// "Dateieinstellungen": which tasks a query selects, which typing errors are tolerated
// and whether tasks come in random order, for one training file. "Erweitert ..." leads
// to the extended properties.
//
// The dialog edits copies (its members): OK takes the controls into them, "Abbrechen"
// and "Eingaben zurücksetzen" put them back into the controls, so after cancelling the
// members still hold the values the dialog was opened with.

#include "data/FileSettings.h"

#include <QDialog>

#include <functional>

class CVendrillDoc;
class QCheckBox;
class QLineEdit;
class QPushButton;

class CFileSettingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFileSettingsDlg(QWidget* parent = nullptr);

    /// The file whose extended properties "Erweitert ..." edits; nullptr disables it.
    void SetTrainingData(cTrainingData* data);
    /// Where "Statistik zurücksetzen" goes: the active view's command. Without one the
    /// button is disabled.
    void SetResetStatistics(std::function<void()> handler);

    /// Fills the members from the file's values and shows them.
    void Load(const cTrainingData& data);
    /// Copies the members into the file's values.
    void Store(cTrainingData& data) const;
    [[nodiscard]] const cFileSettingsTexts& Members() const { return m_members; }

    /// Command 32777 on a document: runs the dialog, marks the document modified after OK
    /// and copies the members back whatever the result. True when confirmed with OK.
    static bool Run(CVendrillDoc& doc, QWidget* parent, std::function<void()> resetStatistics);

public slots:
    /// OK: the controls become the members.
    void accept() override;
    /// "Abbrechen", Esc and closing: the members go back into the controls.
    void reject() override;
    /// "Eingaben zurücksetzen".
    void OnResetInputs();
    /// "Erweitert ...".
    void OnExtended();

private:
    void MembersToControls();
    void ControlsToMembers();

    cTrainingData* m_pData = nullptr;
    std::function<void()> m_resetStatistics;
    cFileSettingsTexts m_members;

    QLineEdit* m_pMaxWords = nullptr;     // 1019
    QLineEdit* m_pMinRight = nullptr;     // 1028
    QLineEdit* m_pMinPercent = nullptr;   // 1030
    QCheckBox* m_pAllowSwap = nullptr;    // 1020
    QCheckBox* m_pAllowExtra = nullptr;   // 1021
    QCheckBox* m_pAllowMissing = nullptr; // 1022
    QCheckBox* m_pRandom = nullptr;       // 1029
    QPushButton* m_pExtended = nullptr;   // 1034
    QPushButton* m_pResetStatistics = nullptr; // 32775
    QPushButton* m_pResetInputs = nullptr;     // 1024
};
