#include "data/ui/SaveConflict.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

SaveConflictAsker& Asker()
{
    static SaveConflictAsker asker;
    return asker;
}

} // namespace

SaveConflictChoice AskSaveConflict(QWidget* parent, const QString& fileName)
{
    if (Asker())
        return Asker()(fileName);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorvant"),
                    QString::fromUtf8("Die Datei %1 wurde seit dem Öffnen von einem anderen "
                                      "Programm geändert.\nSoll sie überschrieben werden, oder "
                                      "sollen diese Änderungen unter einem anderen Namen "
                                      "gespeichert oder verworfen werden?")
                        .arg(fileName),
                    QMessageBox::NoButton, parent);
    QPushButton* overwrite =
        box.addButton(QString::fromUtf8("Überschreiben"), QMessageBox::DestructiveRole);
    QPushButton* saveAs =
        box.addButton(QString::fromUtf8("Speichern unter..."), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(QString::fromUtf8("Änderungen verwerfen"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QString::fromUtf8("Abbrechen"), QMessageBox::RejectRole);
    overwrite->setObjectName(QStringLiteral("conflictOverwrite"));
    saveAs->setObjectName(QStringLiteral("conflictSaveAs"));
    discard->setObjectName(QStringLiteral("conflictDiscard"));
    // Enter takes the choice that loses nothing.
    box.setDefaultButton(saveAs);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return SaveConflictChoice::Overwrite;
    if (box.clickedButton() == saveAs)
        return SaveConflictChoice::SaveAs;
    if (box.clickedButton() == discard)
        return SaveConflictChoice::Discard;
    return SaveConflictChoice::Cancel;
}

void SetSaveConflictAsker(SaveConflictAsker asker)
{
    Asker() = std::move(asker);
}
