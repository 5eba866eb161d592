#include "data/ui/FilePropsDlg.h"

#include "data/TrainingData.h"
#include "ui/DialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CFilePropsDlg::CFilePropsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlg143"));
    setWindowTitle(QStringLiteral("Erweiterte Dateieigenschaften"));

    m_pShowAll = Named(
        new QCheckBox(QStringLiteral("Extrafragebogen mit allen Fragen anzeigen"), this), 1037);
    m_pQuestionTemplate = Named(new QLineEdit(this), 1038);
    m_pRightTemplate = Named(new QLineEdit(this), 1035);
    m_pWrongTemplate = Named(new QLineEdit(this), 1036);
    m_pCrypt = Named(new QComboBox(this), 1039);
    m_pCrypt->setAccessibleName(QString::fromUtf8("Verschlüsselung"));
    m_pCrypt->addItem(QString::fromUtf8("Keine Verschlüsselung"));
    m_pCrypt->addItem(QString::fromUtf8("Standardverschlüsselung"));
    m_pCrypt->setCurrentIndex(-1);
    for (QLineEdit* edit : {m_pQuestionTemplate, m_pRightTemplate, m_pWrongTemplate})
        edit->setMinimumWidth(440);

    auto* placeholders = new QLabel(
        QStringLiteral("Platzhalter:                              {frage}   \tFrage"
                       "                      {antwort}\tMusterantwort"),
        this);
    placeholders->setObjectName(QStringLiteral("staticPlaceholders"));
    // The text is laid out by wrapping: at the narrowest width that gives three lines, the
    // blanks break it into a heading and one line per placeholder.
    placeholders->setWordWrap(true);
    const int threeLines = 3 * placeholders->fontMetrics().lineSpacing();
    int placeholderWidth = placeholders->fontMetrics().horizontalAdvance(QStringLiteral("{antwort}"));
    while (placeholderWidth < 600 && placeholders->heightForWidth(placeholderWidth) > threeLines)
        placeholderWidth += 4;
    placeholders->setFixedSize(placeholderWidth, placeholders->heightForWidth(placeholderWidth));

    QDialogButtonBox* buttons = OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pShowAll);
    layout->addWidget(m_pCrypt, 0, Qt::AlignLeft);
    layout->addSpacing(6);
    layout->addWidget(Caption(QStringLiteral("Fragetemplate"), m_pQuestionTemplate, this));
    layout->addWidget(m_pQuestionTemplate);
    layout->addWidget(Caption(QString::fromUtf8("Antworttemplate bei richtiger Antwort (auch bei "
                                                "\"Lösung anzeigen\")"),
                              m_pRightTemplate, this));
    layout->addWidget(m_pRightTemplate);
    layout->addWidget(
        Caption(QStringLiteral("Antworttemplate bei falscher Antwort"), m_pWrongTemplate, this));
    layout->addWidget(m_pWrongTemplate);
    layout->addWidget(placeholders);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CFilePropsDlg::Load(const cTrainingData& data)
{
    const cFilePropsValues values = FilePropsValues(data);
    m_pShowAll->setChecked(values.showAll != 0);
    m_pCrypt->setCurrentIndex(values.crypt);
    m_pQuestionTemplate->setText(m_question.Show(values.questionTemplate));
    m_pRightTemplate->setText(m_right.Show(values.rightTemplate));
    m_pWrongTemplate->setText(m_wrong.Show(values.wrongTemplate));
}

cFilePropsValues CFilePropsDlg::Values() const
{
    cFilePropsValues values;
    values.showAll = m_pShowAll->isChecked() ? 1 : 0;
    values.crypt = m_pCrypt->currentIndex();
    values.questionTemplate = m_question.Take(m_pQuestionTemplate->text());
    values.rightTemplate = m_right.Take(m_pRightTemplate->text());
    values.wrongTemplate = m_wrong.Take(m_pWrongTemplate->text());
    return values;
}

void CFilePropsDlg::Store(cTrainingData& data) const
{
    StoreFilePropsValues(Values(), data);
}

bool CFilePropsDlg::Edit(cTrainingData& data, QWidget* parent)
{
    CFilePropsDlg dlg(parent);
    dlg.Load(data);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    dlg.Store(data);
    return true;
}
