#pragma once
// "Einstellungen": the dialog that edits the program-wide settings.

#include <QDialog>

#include <cstdint>

struct cSettings;
class QCheckBox;
class QRadioButton;
class QSpinBox;

class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSettingsDlg(QWidget* parent = nullptr);

    /// Fills the controls from the settings.
    void Load(const cSettings& settings);
    /// Writes the controls back into the settings.
    void Store(cSettings& settings) const;

private:
    QCheckBox* m_beep = nullptr;
    QCheckBox* m_next = nullptr;
    QCheckBox* m_nextOnAssess = nullptr; // kept hidden; its state is not stored anywhere
    QRadioButton* m_print[3] = {};
    QCheckBox* m_plan = nullptr;
    QSpinBox* m_newPerDay = nullptr;
};
