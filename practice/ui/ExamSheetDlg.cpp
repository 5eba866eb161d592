#include "practice/ui/ExamSheetDlg.h"

#include "base/Message.h"
#include "data/Document.h"
#include "practice/Query.h"
#include "practice/ui/ExamSheetPrint.h"
#include "practice/ui/PrintView.h"
#include "ui/DialogParts.h"
#include "ui/ProgramDir.h"
#include "ui/Text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

template <class T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QGroupBox* Row(const QString& title, std::initializer_list<QWidget*> widgets, QWidget* parent)
{
    auto* group = new QGroupBox(title, parent);
    auto* row = new QHBoxLayout(group);
    for (QWidget* widget : widgets)
        row->addWidget(widget);
    row->addStretch(1);
    return group;
}

void Warn(const QString& text)
{
    (void)MessagePresenter().Present("Quorvant", ToCp1252(text), StyleIconWarning);
}

QString PdfFilter()
{
    return U("PDF-Dateien (*.pdf)");
}

QString WithPdfSuffix(QString path)
{
    if (!path.isEmpty() && QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".pdf");
    return path;
}

void SaveAsPdf(const cExamSheetJob& job, QWidget* parent)
{
    QString name = ToQString(job.sheet.options.m_strTitle).trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (name.isEmpty())
        name = U("Prüfungsbogen");
    const QString folder = QFileInfo(QFile::decodeName(QByteArray::fromStdString(job.data->m_strPath))).absolutePath();
    const QString path = WithPdfSuffix(QFileDialog::getSaveFileName(
        parent, U("Prüfungsbogen als PDF speichern"), QDir(folder).filePath(name + QStringLiteral(".pdf")),
        PdfFilter()));
    if (path.isEmpty())
        return;
    QString keyPath;
    if (job.sheet.options.m_nKey == ExamKeySeparate) {
        keyPath = WithPdfSuffix(QFileDialog::getSaveFileName(parent, U("Lösungsbogen als PDF speichern"),
                                                             ExamKeyPdfPath(path), PdfFilter()));
        if (keyPath.isEmpty())
            return;
        if (QFileInfo(keyPath).absoluteFilePath() == QFileInfo(path).absoluteFilePath()) {
            Warn(U("Prüfungsbogen und Lösungsbogen brauchen zwei verschiedene Dateien."));
            return;
        }
    }
    switch (WriteExamSheetPdf(job, path, keyPath)) {
    case ExamPdfWritten: break;
    case ExamPdfTrainingFile: Warn(U("Die PDF-Datei darf nicht die Trainingsdatei sein.")); break;
    default:
        Warn(U("Die PDF-Datei \"%1\" konnte nicht geschrieben werden.").arg(QDir::toNativeSeparators(path)));
    }
}

} // namespace

CExamSheetDlg::CExamSheetDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("examSheetDlg"));
    setWindowTitle(U("Prüfungsbogen drucken"));

    m_pTitle = Named(new QLineEdit(this), "editTitle");
    m_pTitle->setMinimumWidth(360);
    m_pName = Named(new QCheckBox(U("&Name:"), this), "checkName");
    m_pDate = Named(new QCheckBox(U("Dat&um:"), this), "checkDate");
    m_pClass = Named(new QCheckBox(U("&Klasse:"), this), "checkClass");
    m_pAllTasks = Named(new QRadioButton(this), "radioAllTasks");
    m_pSomeTasks = Named(new QRadioButton(U("&Zufällig auswählen:"), this), "radioSomeTasks");
    m_pTaskCount = Named(new QSpinBox(this), "spinTaskCount");
    m_pTaskCount->setAccessibleName(U("Anzahl der Aufgaben"));
    m_pListed = Named(new QRadioButton(U("&Wie aufgelistet"), this), "radioListed");
    m_pShuffled = Named(new QRadioButton(U("&Gemischt"), this), "radioShuffled");
    m_pVariants = Named(new QSpinBox(this), "spinVariants");
    m_pVariants->setRange(1, kExamSheetMaxVariants);
    m_pSeed = Named(new QLineEdit(this), "editSeed");
    m_pSeed->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), m_pSeed));
    m_pSeed->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000000000")) + 16);
    m_pPoints = Named(new QCheckBox(U("&Punkte angeben"), this), "checkPoints");
    m_pKey = Named(new QComboBox(this), "comboKey");
    m_pKey->addItems({U("Nicht drucken"), U("Auf neuer Seite nach den Bögen"), U("Als eigenes Dokument")});
    // The two pairs of radio buttons are groups of their own.
    for (auto [a, b] : {std::pair(m_pAllTasks, m_pSomeTasks), std::pair(m_pListed, m_pShuffled)}) {
        auto* group = new QButtonGroup(this);
        group->addButton(a);
        group->addButton(b);
    }

    auto* title = new QHBoxLayout;
    title->addWidget(Caption(U("&Titel:"), m_pTitle, this));
    title->addWidget(m_pTitle, 1);
    auto* variants = new QWidget(this);
    auto* variantsRow = new QHBoxLayout(variants);
    variantsRow->setContentsMargins(0, 0, 0, 0);
    variantsRow->addWidget(m_pVariants);
    variantsRow->addWidget(new QLabel(U("(Gruppe A, Gruppe B, …; jede anders gemischt)"), variants));
    variantsRow->addStretch(1);
    auto* grid = new QGridLayout;
    grid->addWidget(Caption(U("&Varianten:"), m_pVariants, this), 0, 0);
    grid->addWidget(variants, 0, 1);
    grid->addWidget(Caption(U("Startw&ert:"), m_pSeed, this), 1, 0);
    grid->addWidget(m_pSeed, 1, 1, Qt::AlignLeft);
    grid->addWidget(Caption(U("&Lösungsbogen:"), m_pKey, this), 2, 0);
    grid->addWidget(m_pKey, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(this);
    const std::pair<const char*, Output> outputs[] = {
        {"&Seitenansicht", Preview}, {"&Drucken...", Printer}, {"Als PD&F speichern...", Pdf}};
    const char* names[] = {"buttonPreview", "buttonPrint", "buttonPdf"};
    for (std::size_t i = 0; i < std::size(outputs); ++i) {
        QPushButton* button = buttons->addButton(U(outputs[i].first), QDialogButtonBox::AcceptRole);
        button->setObjectName(QString::fromLatin1(names[i]));
        button->setDefault(i == 0);
        connect(button, &QPushButton::clicked, this, [this, output = outputs[i].second] {
            m_output = output;
            accept();
        });
    }
    Named(buttons->addButton(U("Abbrechen"), QDialogButtonBox::RejectRole), "buttonCancel");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(title);
    layout->addWidget(Row(U("Kopfzeilen"), {m_pName, m_pDate, m_pClass}, this));
    layout->addWidget(Row(U("Aufgaben"), {m_pAllTasks, m_pSomeTasks, m_pTaskCount}, this));
    layout->addWidget(Row(U("Reihenfolge"), {m_pListed, m_pShuffled}, this));
    layout->addLayout(grid);
    layout->addWidget(m_pPoints);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_pSomeTasks, &QRadioButton::toggled, this, &CExamSheetDlg::UpdateControls);
    connect(m_pVariants, &QSpinBox::valueChanged, this, &CExamSheetDlg::UpdateControls);
}

void CExamSheetDlg::Load(const cExamSheetOptions& options, int taskCount)
{
    m_pTitle->setText(ToQString(options.m_strTitle));
    m_pName->setChecked(options.m_bNameLine);
    m_pDate->setChecked(options.m_bDateLine);
    m_pClass->setChecked(options.m_bClassLine);
    m_pAllTasks->setText(U("&Alle Aufgaben (%1)").arg(taskCount));
    m_pTaskCount->setRange(1, std::max(1, taskCount));
    const bool some = options.m_nTaskCount > 0 && options.m_nTaskCount < taskCount;
    m_pTaskCount->setValue(some ? options.m_nTaskCount : taskCount);
    (some ? m_pSomeTasks : m_pAllTasks)->setChecked(true);
    m_pSomeTasks->setEnabled(taskCount > 1);
    (options.m_bShuffle ? m_pShuffled : m_pListed)->setChecked(true);
    m_pVariants->setValue(options.m_nVariants);
    m_pSeed->setText(QString::number(options.m_nSeed));
    m_pPoints->setChecked(options.m_bPoints);
    m_pKey->setCurrentIndex(std::clamp(options.m_nKey, 0, 2));
    UpdateControls();
}

void CExamSheetDlg::Store(cExamSheetOptions& options) const
{
    options.m_strTitle = ToCp1252(m_pTitle->text());
    options.m_bNameLine = m_pName->isChecked();
    options.m_bDateLine = m_pDate->isChecked();
    options.m_bClassLine = m_pClass->isChecked();
    options.m_nTaskCount = m_pSomeTasks->isChecked() ? m_pTaskCount->value() : 0;
    options.m_bShuffle = m_pShuffled->isChecked();
    options.m_nVariants = m_pVariants->value();
    options.m_nSeed = static_cast<std::uint32_t>(
        std::min<qulonglong>(m_pSeed->text().toULongLong(), std::numeric_limits<std::uint32_t>::max()));
    options.m_bPoints = m_pPoints->isChecked();
    options.m_nKey = m_pKey->currentIndex();
}

void CExamSheetDlg::UpdateControls()
{
    m_pTaskCount->setEnabled(m_pSomeTasks->isChecked());
    // Several variants are always shuffled: identical ones would be no variants.
    const bool several = m_pVariants->value() > 1;
    if (several)
        m_pShuffled->setChecked(true);
    m_pListed->setEnabled(!several);
}

void RunExamSheetCommand(QPrinter& printer, cQuery& query, QWidget* parent)
{
    if (!query.HasCurrentQuestionnaire()) {
        ShowNothingToPrint();
        return;
    }
    const cTrainingData& data = query.Document().m_data;
    const int q = query.CurrentQuestionnaire();
    cExamSheetJob job;
    job.data = &data;
    job.programDir = ProgramDirPath();
    cExamSheetOptions options;
    options.m_strTitle = data.m_aQuestionnaires[static_cast<std::size_t>(q)].m_strTitle;
    options.m_nSeed = QRandomGenerator::global()->bounded(1u, 1000000u);
    if (!MakeExamSheet(data, q, options, job.sheet)) {
        Warn(U("Es gibt nichts zu drucken: Der Fragebogen enthält keine Aufgaben."));
        return;
    }
    CExamSheetDlg dialog(parent);
    dialog.Load(options, static_cast<int>(job.sheet.variants.front().entries.size()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.Store(options);
    (void)MakeExamSheet(data, q, options, job.sheet);
    switch (dialog.ChosenOutput()) {
    case CExamSheetDlg::Preview: RunExamSheetPreview(printer, job, parent); break;
    case CExamSheetDlg::Printer: (void)RunExamSheetPrintDialog(printer, job, parent); break;
    case CExamSheetDlg::Pdf: SaveAsPdf(job, parent); break;
    }
}
