#pragma once
// "Importieren..." and "Exportieren..." of the "Datei" menu: the file dialogs with their
// type filters, the import dialog (format, separator, encoding, new document or the open
// file) and the questions and messages around them. The rules live in exchange/.

#include "exchange/Exchange.h"

#include <QDialog>
#include <QString>

#include <functional>

class CVendrillDoc;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;

class CImportDlg : public QDialog {
    Q_OBJECT
public:
    /// For the file at path; canAppend offers the open file as the target.
    CImportDlg(const QString& path, bool canAppend, QWidget* parent = nullptr);

    [[nodiscard]] ExchangeFormat Format() const;
    [[nodiscard]] cImportOptions Options() const;
    /// True when the tasks go into the open file, false for a new document.
    [[nodiscard]] bool Append() const;
    /// Accepts only columns the core understands (or none).
    void accept() override;

private:
    void UpdateControls();

    QComboBox* m_format = nullptr;
    QComboBox* m_separator = nullptr;
    QComboBox* m_encoding = nullptr;
    QLineEdit* m_columns = nullptr;
    QRadioButton* m_new = nullptr;
    QRadioButton* m_append = nullptr;
};

/// Asks for a file: save or open, the proposed name, the type filters; returns the path
/// (empty when cancelled) and sets selectedFilter to the filter in use.
using ExchangeFileChooser = std::function<QString(bool save, const QString& suggestion,
                                                  const QString& filters, QString* selectedFilter)>;
/// Replaces the file dialogs of import and export (tests); empty restores them.
void SetExchangeFileChooser(ExchangeFileChooser chooser);

/// What an import needs of the window it runs in; the frame fills it, so this folder
/// never reaches into the frames.
struct cExchangeTarget {
    QWidget* parent = nullptr;   // owner of the file dialog and the import dialog
    CVendrillDoc* active = nullptr; // the active window's document, nullptr when none
    std::function<CVendrillDoc*()> newDocument; // opens an untitled window; nullptr on failure
    std::function<void(CVendrillDoc&)> imported; // shows the tasks just imported into doc
};

/// "Importieren...": file, import dialog, then the tasks in a new untitled document or
/// appended to the active one.
void ImportIntoWindow(const cExchangeTarget& target);
/// Reads the file at path and puts its tasks into a new untitled document or appends them
/// to the active one, asking about unmappable characters and telling what was skipped.
/// Returns the document, nullptr when nothing was imported.
CVendrillDoc* ImportFile(const cExchangeTarget& target, const QString& path, ExchangeFormat format,
                         cImportOptions options, bool append);
/// True for a file that opening imports: CSV, tab-separated, KVTML, notes text or JSON.
bool IsOpenedByImport(const QString& path);
/// Opens such a file as a new untitled document named after it; nullptr when refused.
CVendrillDoc* OpenByImport(const cExchangeTarget& target, const QString& path);
/// "Exportieren...": writes doc's tasks as CSV, KVTML or Anki text.
void ExportFromWindow(QWidget* parent, CVendrillDoc& doc);
