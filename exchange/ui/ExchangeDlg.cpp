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
    "Austauschdateien (*.csv *.tsv *.kvtml *.txt);;CSV-Dateien (*.csv *.tsv);;"
    "KVTML-Dateien (*.kvtml);;Anki-Textdateien (*.txt);;Alle Dateien (*)";

// Export filters in the order of kExportKinds.
const char* const kExportFilters =
    "CSV-Datei (*.csv);;Tabulatorgetrennte Datei (*.tsv);;KVTML-Datei (*.kvtml);;"
    "Anki-Textdatei (*.txt)";
struct cExportKind {
    const char* extension;
    ExchangeFormat format;
    char separator;
};
constexpr cExportKind kExportKinds[] = {
    {"csv", ExchangeFormat::Csv, ','},
    {"tsv", ExchangeFormat::Csv, '\t'},
    {"kvtml", ExchangeFormat::Kvtml, 0},
    {"txt", ExchangeFormat::Anki, 0},
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

    auto* file = new QLabel(QDir::toNativeSeparators(path), this);
    file->setObjectName(QStringLiteral("importFile"));
    auto* form = new QFormLayout;
    form->addRow(U("Datei:"), file);
    form->addRow(Caption(U("&Format:"), m_format, this), m_format);
    form->addRow(Caption(U("&Trennzeichen:"), m_separator, this), m_separator);
    form->addRow(Caption(U("&Zeichenkodierung:"), m_encoding, this), m_encoding);

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
    // KVTML names its encoding itself and has no separator.
    const bool text = Format() != ExchangeFormat::Kvtml;
    m_separator->setEnabled(text);
    m_encoding->setEnabled(text);
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
    cImportOptions options = dialog.Options();
    const std::string file = QFile::encodeName(path).toStdString();
    cImportResult imported = ReadImportFile(file, dialog.Format(), options);
    if (imported.failure == ImportFailure::Unmappable) {
        const int answer = Tell(U("%1.\r\n\r\nSollen Zeichen, die es in Windows-1252 nicht gibt, "
                                  "durch \"?\" ersetzt werden?")
                                    .arg(Core(imported.message)),
                                StyleYesNo | StyleIconQuestion);
        if (answer != ResultYes)
            return;
        options.replaceUnmappable = true;
        imported = ReadImportFile(file, dialog.Format(), options);
    }
    if (!imported.Ok()) {
        Tell(U("Die Datei \"%1\" kann nicht importiert werden.\r\n%2.")
                 .arg(QDir::toNativeSeparators(path), Core(imported.message)),
             StyleOk | StyleIconWarning);
        return;
    }

    CVendrillDoc* into = dialog.Append() ? active : target.newDocument();
    if (!into)
        return;
    CVendrillDoc& doc = *into;
    const int lastBefore = static_cast<int>(doc.Data().m_aQuestionnaires.size()) - 1;
    doc.Core().BeginEdit(); // the import is one step of the undo history
    const int added = AppendImport(doc.Data(), std::move(imported.tasks), imported.lists,
                                   ImportTitle(file));
    doc.Core().CommitEdit("Importieren");
    // The new questionnaires go before the automatic one, which moves back.
    if (lastBefore >= 0 && doc.CurQuestionnaire() >= lastBefore)
        doc.SetCurQuestionnaire(doc.CurQuestionnaire() + added);
    doc.SetModifiedFlag(true);
    if (target.imported)
        target.imported(doc);
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
    const cExportKind* kind = nullptr;
    for (const cExportKind& k : kExportKinds)
        if (QFileInfo(path).suffix().compare(U(k.extension), Qt::CaseInsensitive) == 0)
            kind = &k;
    if (!kind) {
        kind = &kExportKinds[chosen];
        path += QLatin1Char('.') + U(kind->extension);
    }

    const std::string bytes = ExportText(doc.Data(), kind->format, kind->separator);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !out.commit()) {
        Tell(U("Die Datei \"%1\" konnte nicht geschrieben werden.").arg(QDir::toNativeSeparators(path)),
             StyleOk | StyleIconWarning);
    }
}
