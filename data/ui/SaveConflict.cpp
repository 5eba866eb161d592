#include "data/ui/SaveConflict.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

SaveConflictAsker& Asker()
{
    static SaveConflictAsker asker;
    return asker;
}

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

QString MergeBlockText(MergeBlock block)
{
    switch (block) {
    case MergeBlock::None:
        break;
    case MergeBlock::ChangedHere:
        return U("In diesem Fenster wurden Aufgaben, Fragebögen oder Einstellungen geändert "
                 "oder die Statistik zurückgesetzt.");
    case MergeBlock::ChangedThere:
        return U("Das andere Programm hat Aufgaben, Fragebögen oder Einstellungen geändert.");
    case MergeBlock::ResetThere:
        return U("Das andere Programm hat die Statistik zurückgesetzt.");
    case MergeBlock::Unreadable:
        return U("Die geänderte Datei kann nicht gelesen werden.");
    }
    return QString();
}

SaveConflictChoice AskSaveConflict(QWidget* parent, const QString& fileName,
                                   const QString& whyNoMerge)
{
    if (Asker())
        return Asker()(fileName, whyNoMerge);
    const bool merge = whyNoMerge.isEmpty();
    QString text = U("Die Datei %1 wurde seit dem Öffnen von einem anderen Programm geändert.\n\n")
                       .arg(fileName);
    text += merge ? U("„Zusammenführen“: Die Datei behält die Änderungen des anderen Programms, "
                      "und die Antworten, die Sie in diesem Fenster seit dem Öffnen oder "
                      "Speichern gegeben haben, werden zu ihrer Statistik hinzugezählt.\n")
                  : U("Zusammenführen ist nicht möglich: %1\n").arg(whyNoMerge);
    text += U("„Überschreiben“: Der Stand dieses Fensters ersetzt die Datei; die Änderungen "
              "und Antworten des anderen Programms gehen verloren.\n"
              "„Speichern unter...“: Der Stand dieses Fensters kommt in eine neue Datei; die "
              "Datei bleibt, wie das andere Programm sie gespeichert hat.\n"
              "„Änderungen verwerfen“: Die Änderungen und Antworten dieses Fensters gehen "
              "verloren; die Datei bleibt, wie das andere Programm sie gespeichert hat.\n"
              "„Abbrechen“: Es wird nichts gespeichert.");
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorvant"), text, QMessageBox::NoButton,
                    parent);
    QPushButton* join =
        merge ? box.addButton(U("Zusammenführen"), QMessageBox::AcceptRole) : nullptr;
    QPushButton* overwrite = box.addButton(U("Überschreiben"), QMessageBox::DestructiveRole);
    QPushButton* saveAs = box.addButton(U("Speichern unter..."), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(U("Änderungen verwerfen"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(U("Abbrechen"), QMessageBox::RejectRole);
    if (join)
        join->setObjectName(QStringLiteral("conflictMerge"));
    overwrite->setObjectName(QStringLiteral("conflictOverwrite"));
    saveAs->setObjectName(QStringLiteral("conflictSaveAs"));
    discard->setObjectName(QStringLiteral("conflictDiscard"));
    // Enter takes the choice that loses nothing.
    box.setDefaultButton(join ? join : saveAs);
    box.setEscapeButton(cancel);
    box.exec();
    if (join && box.clickedButton() == join)
        return SaveConflictChoice::Merge;
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
