#include "exchange/ui/ExchangeDlg.h"

#include "base/Cp1252.h"
#include "data/Document.h"
#include "data/ui/VendrillDoc.h"
#include "base/Message.h"
#include "ui/DialogParts.h"
#include "ui/FileDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

ExchangeFileChooser& Chooser()
{
    static ExchangeFileChooser chooser;
    return chooser;
}

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const char* const kImportFilters =
    "Austauschdateien (*.csv *.tsv *.kvtml *.txt *.json);;CSV-Dateien (*.csv *.tsv);;"
    "KVTML-Dateien (*.kvtml);;Anki-Textdateien (*.txt);;JSON-Trainingsdateien (*.json);;"
    "Alle Dateien (*)";

// Export filters in the order of kExportKinds.
const char* const kExportFilters =
    "CSV-Datei (*.csv);;CSV-Datei mit Semikolon, Windows-1252 (*.csv);;"
    "Tabulatorgetrennte Datei (*.tsv);;KVTML-Datei (*.kvtml);;Anki-Textdatei (*.txt);;"
    "JSON-Trainingsdatei (*.json)";
struct cExportKind {
    const char* extension;
    ExchangeFormat format;
    char separator;
    TextEncoding encoding;
};
constexpr cExportKind kExportKinds[] = {
    {"csv", ExchangeFormat::Csv, ',', TextEncoding::Detect},
    {"csv", ExchangeFormat::Csv, ';', TextEncoding::Cp1252}, // opens in columns in German spreadsheets
    {"tsv", ExchangeFormat::Csv, '\t', TextEncoding::Detect},
    {"kvtml", ExchangeFormat::Kvtml, 0, TextEncoding::Detect},
    {"txt", ExchangeFormat::Anki, 0, TextEncoding::Detect},
    {"json", ExchangeFormat::Json, 0, TextEncoding::Detect}, // everything, as "quorvant-cli export" writes it
};

QString ChooseFile(QWidget* parent, bool save, const QString& suggestion, const char* filters,
                   QString* selected)
{
    if (Chooser())
        return Chooser()(save, suggestion, U(filters), selected);
    if (save)
        return ChooseSaveFile(parent, U("Exportieren"), suggestion, U(filters), selected);
    return ChooseOpenFile(parent, U("Importieren"), suggestion, U(filters), selected);
}

int Tell(const QString& text, std::uint32_t style)
{
    return MessagePresenter().Present(Cp1252FromUtf8("Quorvant"), Cp1252FromUtf8(text.toStdString()),
                                      style);
}

// The messages of the core are UTF-8 and may quote characters that Windows-1252 lacks;
// the code point beside them survives the box.
QString Core(const std::string& message)
{
    return QString::fromStdString(message);
}

// After the import into doc: the current questionnaire follows the automatic one, which
// moved back by added places, the views show the new tasks, and the summary tells what
// was skipped or replaced.
CVendrillDoc* Imported(const cExchangeTarget& target, CVendrillDoc& doc, int lastBefore, int added,
                       std::size_t count, const std::vector<std::string>& notes)
{
    if (lastBefore >= 0 && added > 0 && doc.CurQuestionnaire() >= lastBefore)
        doc.SetCurQuestionnaire(doc.CurQuestionnaire() + added);
    doc.SetModifiedFlag(true);
    if (target.imported)
        target.imported(doc);
    if (!notes.empty()) {
        QString summary = U("%1 Aufgaben importiert.").arg(count);
        for (const std::string& note : notes)
            summary += QStringLiteral("\r\n") + Core(note) + QLatin1Char('.');
        Tell(summary, StyleOk | StyleIconInfo);
    }
    return &doc;
}

} // namespace

CImportDlg::CImportDlg(const QString& path, bool canAppend, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("importDlg"));
    setWindowTitle(U("Importieren"));

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("importFormat"));
    m_format->addItem(U("CSV / tabulatorgetrennter Text"), static_cast<int>(ExchangeFormat::Csv));
    m_format->addItem(U("KVTML 2.0"), static_cast<int>(ExchangeFormat::Kvtml));
    m_format->addItem(U("Anki-Text"), static_cast<int>(ExchangeFormat::Anki));
    m_format->addItem(U("JSON-Trainingsdatei"), static_cast<int>(ExchangeFormat::Json));
    const int byName = m_format->findData(static_cast<int>(FormatFromPath(QFile::encodeName(path).toStdString())));
    m_format->setCurrentIndex(std::max(byName, 0));

    m_separator = new QComboBox(this);
    m_separator->setObjectName(QStringLiteral("importSeparator"));
    m_separator->addItem(U("Automatisch erkennen"), 0);
    m_separator->addItem(U("Komma"), static_cast<int>(','));
    m_separator->addItem(U("Semikolon"), static_cast<int>(';'));
    m_separator->addItem(U("Tabulator"), static_cast<int>('\t'));

    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("importEncoding"));
    m_encoding->addItem(U("Automatisch erkennen"), static_cast<int>(TextEncoding::Detect));
    m_encoding->addItem(U("UTF-8"), static_cast<int>(TextEncoding::Utf8));
    m_encoding->addItem(U("Windows-1252"), static_cast<int>(TextEncoding::Cp1252));

    m_columns = new QLineEdit(this);
    m_columns->setObjectName(QStringLiteral("importColumns"));
    m_columns->setPlaceholderText(U("aus der Kopfzeile, sonst Frage und Lösung"));
    m_columns->setToolTip(U("Was die Spalten enthalten, z. B. \"question,-,solution,category\": "
                            "question, solution, pattern, category, number, points; "
                            "\"-\" überspringt eine Spalte."));

    auto* file = new QLabel(QDir::toNativeSeparators(path), this);
    file->setObjectName(QStringLiteral("importFile"));
    auto* form = new QFormLayout;
    form->addRow(U("Datei:"), file);
    form->addRow(Caption(U("&Format:"), m_format, this), m_format);
    form->addRow(Caption(U("&Trennzeichen:"), m_separator, this), m_separator);
    form->addRow(Caption(U("&Zeichenkodierung:"), m_encoding, this), m_encoding);
    form->addRow(Caption(U("S&palten:"), m_columns, this), m_columns);

    auto* target = new QGroupBox(U("Importieren in"), this);
    m_new = new QRadioButton(U("ein &neues Dokument"), target);
    m_new->setObjectName(QStringLiteral("importNew"));
    m_append = new QRadioButton(U("die &geöffnete Datei (anhängen)"), target);
    m_append->setObjectName(QStringLiteral("importAppend"));
    m_append->setEnabled(canAppend);
    m_new->setChecked(true);
    auto* targetLayout = new QVBoxLayout(target);
    targetLayout->addWidget(m_new);
    targetLayout->addWidget(m_append);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(target);
    layout->addWidget(OkCancelButtons(this));
    connect(m_format, &QComboBox::currentIndexChanged, this, &CImportDlg::UpdateControls);
    UpdateControls();
}

void CImportDlg::UpdateControls()
{
    // KVTML names its encoding itself and has no separator; JSON is always UTF-8.
    const bool text = Format() != ExchangeFormat::Kvtml && Format() != ExchangeFormat::Json;
    m_separator->setEnabled(text);
    m_encoding->setEnabled(text);
    m_columns->setEnabled(Format() == ExchangeFormat::Csv);
}

void CImportDlg::accept()
{
    std::vector<int> columns;
    const std::string text = m_columns->text().trimmed().toStdString();
    if (m_columns->isEnabled() && !text.empty() && !ColumnsFromText(text, columns)) {
        Tell(U("Die Spalten \"%1\" sind unbekannt: erlaubt sind question, solution, pattern, "
               "category, number, points und \"-\", durch Kommas getrennt, "
               "question und solution sind nötig.").arg(m_columns->text()),
             StyleOk | StyleIconWarning);
        m_columns->setFocus();
        return;
    }
    QDialog::accept();
}

ExchangeFormat CImportDlg::Format() const
{
    return static_cast<ExchangeFormat>(m_format->currentData().toInt());
}

cImportOptions CImportDlg::Options() const
{
    cImportOptions options;
    options.separator = static_cast<char>(m_separator->currentData().toInt());
    options.encoding = static_cast<TextEncoding>(m_encoding->currentData().toInt());
    if (m_columns->isEnabled())
        (void)ColumnsFromText(m_columns->text().trimmed().toStdString(), options.columns);
    return options;
}

bool CImportDlg::Append() const
{
    return m_append->isEnabled() && m_append->isChecked();
}

void SetExchangeFileChooser(ExchangeFileChooser chooser)
{
    Chooser() = std::move(chooser);
}

void ImportIntoWindow(const cExchangeTarget& target)
{
    CVendrillDoc* active = target.active;
    QString dir;
    if (active && !active->PathName().isEmpty())
        dir = QFileInfo(active->PathName()).absolutePath();
    const QString path = ChooseFile(target.parent, false, dir, kImportFilters, nullptr);
    if (path.isEmpty())
        return;

    CImportDlg dialog(path, active != nullptr, target.parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    (void)ImportFile(target, path, dialog.Format(), dialog.Options(), dialog.Append());
}

bool IsOpenedByImport(const QString& path)
{
    return FormatFromPath(QFile::encodeName(path).toStdString()) != ExchangeFormat::None;
}

CVendrillDoc* OpenByImport(const cExchangeTarget& target, const QString& path)
{
    cExchangeTarget opening = target;
    opening.active = nullptr;
    CVendrillDoc* doc = ImportFile(opening, path, FormatFromPath(QFile::encodeName(path).toStdString()),
                                   cImportOptions(), false);
    if (doc) {
        // Untitled, under the source's name: saving asks for a training file's name.
        doc->SetUntitledTitle(QFileInfo(path).fileName());
        doc->SetModifiedFlag(false);
    }
    return doc;
}

CVendrillDoc* ImportFile(const cExchangeTarget& target, const QString& path, ExchangeFormat format,
                         cImportOptions options, bool append)
{
    CVendrillDoc* active = target.active;
    const std::string file = QFile::encodeName(path).toStdString();
    cImportResult imported = ReadImportFile(file, format, options);
    if (imported.failure == ImportFailure::Unmappable) {
        const int answer = Tell(U("%1.\r\n\r\nSollen Zeichen, die es in Windows-1252 nicht gibt, "
                                  "durch \"?\" ersetzt werden?")
                                    .arg(Core(imported.message)),
                                StyleYesNo | StyleIconQuestion);
        if (answer != ResultYes)
            return nullptr;
        options.replaceUnmappable = true;
        imported = ReadImportFile(file, format, options);
    }
    if (!imported.Ok()) {
        Tell(U("Die Datei \"%1\" kann nicht importiert werden.\r\n%2.")
                 .arg(QDir::toNativeSeparators(path), Core(imported.message)),
             StyleOk | StyleIconWarning);
        return nullptr;
    }

    CVendrillDoc* into = append && active ? active : target.newDocument();
    if (!into)
        return nullptr;
    CVendrillDoc& doc = *into;
    if (imported.training) {
        // A whole training file: appended with its questionnaires, or it becomes the new
        // document as it is.
        const std::size_t count = imported.training->m_aTasks.size();
        const int lastBefore = static_cast<int>(doc.Data().m_aQuestionnaires.size()) - 1;
        doc.Core().BeginEdit();
        int added = 0;
        if (into == active)
            added = AppendTraining(doc.Data(), std::move(*imported.training), imported.title);
        else
            AdoptTraining(doc.Data(), std::move(*imported.training));
        doc.Core().CommitEdit("Importieren");
        return Imported(target, doc, lastBefore, added, count, imported.notes);
    }
    // Media go beside the training file; a new document has no folder yet, so they are
    // only looked for.
    const QString folder = doc.PathName().isEmpty() ? QString() : QFileInfo(doc.PathName()).absolutePath();
    std::vector<std::string> notes = std::move(imported.notes);
    for (std::string& note : CopyImportMedia(imported.tasks, file, QFile::encodeName(folder).toStdString()))
        notes.push_back(std::move(note));
    const std::size_t count = imported.tasks.size();
    const int lastBefore = static_cast<int>(doc.Data().m_aQuestionnaires.size()) - 1;
    doc.Core().BeginEdit(); // the import is one step of the undo history
    const int added = AppendImport(doc.Data(), std::move(imported.tasks), imported.lists,
                                   imported.title);
    doc.Core().CommitEdit("Importieren");
    return Imported(target, doc, lastBefore, added, count, notes);
}

void ExportFromWindow(QWidget* parent, CVendrillDoc& doc)
{
    const QString base = doc.PathName().isEmpty() ? QDir::home().filePath(doc.Title())
                                                  : QFileInfo(doc.PathName()).absolutePath() +
                                                        QLatin1Char('/') +
                                                        QFileInfo(doc.PathName()).completeBaseName();
    QString filter;
    QString path = ChooseFile(parent, true, base + QStringLiteral(".csv"), kExportFilters, &filter);
    if (path.isEmpty())
        return;
    const QStringList filters = U(kExportFilters).split(QStringLiteral(";;"));
    const int chosen = std::max<int>(0, static_cast<int>(filters.indexOf(filter)));
    // The chosen filter decides unless the name typed has another filter's extension.
    const auto fits = [&](const cExportKind& k) {
        return QFileInfo(path).suffix().compare(U(k.extension), Qt::CaseInsensitive) == 0;
    };
    const cExportKind* kind = fits(kExportKinds[chosen]) ? &kExportKinds[chosen] : nullptr;
    for (const cExportKind& k : kExportKinds)
        if (!kind && fits(k))
            kind = &k;
    if (!kind) {
        kind = &kExportKinds[chosen];
        path += QLatin1Char('.') + U(kind->extension);
    }

    cExportOptions options;
    options.separator = kind->separator;
    options.encoding = kind->encoding;
    if (!doc.PathName().isEmpty())
        options.languages = ReadLanguageRecord(QFile::encodeName(doc.PathName()).toStdString());
    const std::string bytes = ExportText(doc.Data(), kind->format, options);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !out.commit()) {
        Tell(U("Die Datei \"%1\" konnte nicht geschrieben werden.").arg(QDir::toNativeSeparators(path)),
             StyleOk | StyleIconWarning);
    }
}
