// The main window's documents: opening, creating, saving and closing training files in
// child windows, and importing and printing them.

#include "shell/ui/MainFrame.h"

#include "data/Document.h"
#include "base/SafeSave.h"
#include "data/ui/SaveConflict.h"
#include "data/ui/VendrillDoc.h"
#include "exchange/ui/ExchangeDlg.h"
#include "practice/ui/PrintView.h"
#include "practice/ui/VendrillView.h"
#include "base/Message.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/PrintRequest.h"
#include "ui/FileDialog.h"
#include "ui/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>
#include <QTimer>

namespace {

const char* const kFileFilter = "Dateityp Training (*.vdr);;Alle Dateien (*)";
// Opening also takes the exchange formats, which open as new untitled files.
const char* const kOpenFilter = "Alle unterstützten Dateien (*.vdr *.kvtml *.csv *.tsv *.txt *.json);;"
                                "Dateityp Training (*.vdr);;Alle Dateien (*)";

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString CleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

void CMainFrame::SetFileChooser(FileChooser chooser)
{
    m_chooser = std::move(chooser);
}

QString CMainFrame::ChooseFile(FileChoice choice, const QString& suggestion)
{
    if (m_chooser)
        return m_chooser(choice, suggestion);
    if (choice == FileChoice::Open)
        return ChooseOpenFile(this, U("Öffnen"), suggestion, U(kOpenFilter));
    return ChooseSaveFile(this, U("Speichern unter"), suggestion, U(kFileFilter));
}

CChildFrame* CMainFrame::FindChild(const QString& path) const
{
    const QString wanted = CleanAbsolute(path);
    const QList<CChildFrame*> children = Children();
    for (CChildFrame* child : children) {
        const QString own = child->Document().PathName();
        if (!own.isEmpty() && !child->Document().IsClosed() && CleanAbsolute(own) == wanted)
            return child;
    }
    return nullptr;
}

CChildFrame* CMainFrame::AddChild(std::shared_ptr<CVendrillDoc> doc)
{
    auto* child = new CChildFrame(std::move(doc), m_settings);
    child->View()->SetProgramDir(m_strProgramDir);
    child->SetCloseCheck([this](CChildFrame& c) { return CanCloseChild(c); });
    connect(child->View(), &CVendrillView::CommandStateChanged, this, &CMainFrame::UpdateActions);
    connect(&child->Document(), &CVendrillDoc::ModifiedChanged, this, &CMainFrame::UpdateActions);
    connect(child, &QObject::destroyed, this, [this, doc = std::weak_ptr(child->SharedDocument())] {
        // The window is gone once the event loop runs again.
        QTimer::singleShot(0, this, [this, doc] {
            if (const auto shared = doc.lock())
                NumberViews(*shared);
            UpdateActions();
        });
    });
    m_mdi->addSubWindow(child);
    // Every training file fills the main window's client area.
    child->showMaximized();
    m_mdi->setActiveSubWindow(child);
    child->View()->InitialUpdate();
    UpdateActions();
    return child;
}

CChildFrame* CMainFrame::OpenDocumentFile(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    if (IsOpenedByImport(path))
        return OpenImported(path);
    const QString absolute = CleanAbsolute(path);
    if (CChildFrame* open = FindChild(absolute)) {
        open->showMaximized();
        m_mdi->setActiveSubWindow(open);
        return open;
    }
    const QFileInfo info(absolute);
    // A FIFO, folder or device is refused before anything tries to read it.
    if (info.exists() && !IsRegularFile(QFile::encodeName(absolute).toStdString())) {
        (void)ShowMessage(kMsgOpenFailed, "");
        return nullptr;
    }
    if (!info.isFile() || !info.isReadable()) {
        MessagePresenter().Present(
            "Quorvant",
            ToCp1252(U("Die Datei \"%1\" konnte nicht geöffnet werden.\r\n"
                       "Sie ist nicht vorhanden oder nicht lesbar.")
                         .arg(QDir::toNativeSeparators(absolute))),
            StyleIconWarning);
        m_recent.Remove(absolute);
        UpdateRecentActions();
        return nullptr;
    }
    auto doc = std::make_shared<CVendrillDoc>();
    doc->SetPathName(absolute);
    const QPointer<CChildFrame> before = ActiveChild();
    QPointer<CChildFrame> child = AddChild(std::move(doc));
    if (!child)
        return nullptr;
    if (!child->Document().ReadFailed()) {
        m_recent.Add(absolute);
        UpdateRecentActions();
        return child;
    }
    // A file that failed to read is not offered again, and a window without a single
    // task of it is of no use: it closes, writing nothing.
    m_recent.Remove(absolute);
    UpdateRecentActions();
    if (!child->Document().Data().m_aTasks.empty())
        return child;
    child->Document().Discard();
    delete child.data();
    // The window that was in front before fills the main window again.
    if (before) {
        before->showMaximized();
        m_mdi->setActiveSubWindow(before);
    }
    UpdateActions();
    return nullptr;
}

CChildFrame* CMainFrame::NewDocument()
{
    auto doc = std::make_shared<CVendrillDoc>();
    doc->NewDocument();
    return AddChild(std::move(doc));
}

void CMainFrame::OnNewWindow()
{
    // A second view on the open document, not a second read of its file.
    if (CChildFrame* active = ActiveChild()) {
        AddChild(active->SharedDocument());
        NumberViews(active->Document());
    }
}

void CMainFrame::NumberViews(const CVendrillDoc& doc)
{
    QList<CChildFrame*> views;
    const QList<CChildFrame*> children = Children();
    for (CChildFrame* child : children)
        if (&child->Document() == &doc)
            views.append(child);
    for (int i = 0; i < views.size(); ++i)
        views[i]->SetViewNumber(views.size() > 1 ? i + 1 : 0);
}

bool CMainFrame::SaveDocumentAs(CVendrillDoc& doc)
{
    QString suggestion = doc.PathName();
    if (suggestion.isEmpty())
        suggestion = QDir::home().filePath(QFileInfo(doc.Title()).completeBaseName() + QStringLiteral(".vdr"));
    else if (doc.ReadFailed())
        suggestion = QFileInfo(suggestion).dir().filePath(
            QFileInfo(suggestion).completeBaseName() + U(" (Kopie).vdr"));
    QString path = ChooseFile(FileChoice::SaveAs, suggestion);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".vdr");
    path = CleanAbsolute(path);
    // What was read of a damaged file is saved under a new name, never over that file.
    if (doc.ReadFailed() && path == CleanAbsolute(doc.PathName())) {
        MessagePresenter().Present(
            "Quorvant",
            ToCp1252(U("Die Datei \"%1\" konnte nicht vollständig gelesen werden und wird "
                       "nicht überschrieben.\r\nWählen Sie einen anderen Namen.")
                         .arg(QDir::toNativeSeparators(path))),
            StyleIconWarning);
        return false;
    }
    // Two windows on one file would overwrite each other's statistics.
    if (CChildFrame* other = FindChild(path); other && &other->Document() != &doc) {
        MessagePresenter().Present(
            "Quorvant",
            ToCp1252(U("Die Datei \"%1\" ist bereits in einem anderen Fenster geöffnet.\r\n"
                       "Schließen Sie dieses Fenster zuerst oder wählen Sie einen anderen "
                       "Namen.")
                         .arg(QDir::toNativeSeparators(path))),
            StyleIconWarning);
        return false;
    }
    if (!doc.SaveAs(path))
        return false;
    m_recent.Add(path);
    UpdateRecentActions();
    return true;
}

bool CMainFrame::CanCloseChild(CChildFrame& child)
{
    CVendrillDoc& doc = child.Document();
    // Another window still shows the file: it stays open and nothing is written yet.
    if (child.SharedDocument().use_count() > 1)
        return true;
    // Changes to a new document, or to what was read of a damaged file (also answers
    // given there), exist only here.
    if ((doc.PathName().isEmpty() && doc.IsModified()) ||
        (doc.ReadFailed() && (doc.IsModified() || doc.Core().CountedSinceRead()))) {
        QString text = U("Sollen die Änderungen an %1 gespeichert werden?").arg(doc.Title());
        if (doc.ReadFailed())
            text += U("\r\nDie Datei wurde nicht vollständig gelesen und wird nicht "
                      "überschrieben: Mit „Ja“ wählen Sie einen neuen Namen.");
        const int answer = MessagePresenter().Present("Quorvant", ToCp1252(text),
                                                      StyleYesNoCancel | StyleIconQuestion);
        if (answer == ResultCancel)
            return false;
        if (answer == ResultYes && !SaveDocumentAs(doc))
            return false;
    }
    if (doc.Close())
        return true;
    if (doc.LastSaveOutcome() == SaveOutcome::Changed ||
        doc.LastSaveOutcome() == SaveOutcome::ReadOnly)
        return HandleFailedSave(child, true);
    // The file could not be written: closing now would lose the changes and statistics.
    const int answer = ShowMessage(
        4, ToCp1252(U("Die Datei %1 konnte nicht gespeichert werden. Soll das "
                                "Fenster trotzdem geschlossen werden? Die Änderungen und "
                                "die Statistik gehen dann verloren.")
                                  .arg(doc.Title())));
    if (answer != ResultYes)
        return false;
    doc.Discard();
    return true;
}

// A save that must not or cannot replace the file: another program changed it since it
// was read, or it is read-only. Nothing is lost without the user's word. True when the
// document's content was dealt with (for closing: the window may close).
bool CMainFrame::HandleFailedSave(CChildFrame& child, bool closing)
{
    CVendrillDoc& doc = child.Document();
    if (doc.LastSaveOutcome() == SaveOutcome::ReadOnly) {
        // Message 105 is on screen already; the way out is another name.
        QString text = U("Die Datei %1 ist schreibgeschützt. Sollen die Änderungen und die "
                         "Statistik unter einem anderen Namen gespeichert werden?")
                           .arg(doc.Title());
        if (closing)
            text += U("\r\nMit „Nein“ wird das Fenster ohne Speichern geschlossen.");
        const int answer = MessagePresenter().Present(
            "Quorvant", ToCp1252(text),
            (closing ? StyleYesNoCancel : StyleYesNo) | StyleIconQuestion);
        if (answer == ResultYes)
            return SaveDocumentAs(doc) && (!closing || doc.Close());
        if (answer == ResultNo && closing)
            doc.Discard();
        return answer == ResultNo && closing;
    }
    const MergeBlock block = doc.Core().MergeWithFile(false);
    switch (AskSaveConflict(this, doc.Title(), MergeBlockText(block))) {
    case SaveConflictChoice::Merge: {
        if (block != MergeBlock::None)
            break;
        // The file may have changed once more since the question: then it comes again.
        if (doc.Core().MergeWithFile(true) != MergeBlock::None)
            return HandleFailedSave(child, closing);
        if (!closing)
            doc.UpdateAllViews(nullptr, false);
        if (closing ? doc.Close() : doc.Save())
            return true;
        const SaveOutcome outcome = doc.LastSaveOutcome();
        return (outcome == SaveOutcome::Changed || outcome == SaveOutcome::ReadOnly) &&
               HandleFailedSave(child, closing);
    }
    case SaveConflictChoice::Overwrite:
        return closing ? doc.Close(true) : doc.Save(true);
    case SaveConflictChoice::SaveAs:
        return SaveDocumentAs(doc) && (!closing || doc.Close());
    case SaveConflictChoice::Discard:
        doc.Discard();
        // Saving was asked for: the window shows the file as the other program left it.
        if (!closing) {
            const QString path = doc.PathName();
            for (CChildFrame* view : Children())
                if (&view->Document() == &doc)
                    view->close();
            OpenDocumentFile(path);
        }
        return true;
    case SaveConflictChoice::Cancel:
        break;
    }
    return false;
}

void CMainFrame::OnFileNew()
{
    NewDocument();
}

void CMainFrame::OnFileOpen()
{
    QString dir;
    if (CChildFrame* child = ActiveChild(); child && !child->Document().PathName().isEmpty())
        dir = QFileInfo(child->Document().PathName()).absolutePath();
    else if (!m_recent.Files().isEmpty())
        dir = QFileInfo(m_recent.Files().first()).absolutePath();
    const QString path = ChooseFile(FileChoice::Open, dir);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CMainFrame::OnFileClose()
{
    if (CChildFrame* child = ActiveChild())
        child->close();
}

void CMainFrame::OnFileSave()
{
    CChildFrame* child = ActiveChild();
    if (!child)
        return;
    // A new document has no name yet, and a file that failed to read is never written
    // back: saving asks for a name.
    if (child->Document().PathName().isEmpty() || child->Document().ReadFailed())
        SaveDocumentAs(child->Document());
    else if (!child->Document().Save())
        (void)HandleFailedSave(*child, false);
}

void CMainFrame::OnFileSaveAs()
{
    if (CChildFrame* child = ActiveChild())
        SaveDocumentAs(child->Document());
}

CChildFrame* CMainFrame::OpenImported(const QString& path)
{
    CChildFrame* target = nullptr;
    cExchangeTarget exchange = ExchangeTarget(target);
    return OpenByImport(exchange, path) ? target : nullptr;
}

cExchangeTarget CMainFrame::ExchangeTarget(CChildFrame*& target)
{
    cExchangeTarget exchange;
    exchange.parent = this;
    exchange.active = target ? &target->Document() : nullptr;
    exchange.newDocument = [this, &target]() -> CVendrillDoc* {
        target = NewDocument();
        return target ? &target->Document() : nullptr;
    };
    exchange.imported = [this, &target](CVendrillDoc&) {
        if (CVendrillView* view = target->View()) {
            view->FileSettingsChanged();
            if (view->HandlesCommand(cmd::kOverview) && view->IsCommandEnabled(cmd::kOverview))
                view->ExecuteCommand(cmd::kOverview);
        }
        UpdateActions();
    };
    return exchange;
}

void CMainFrame::OnImport()
{
    CChildFrame* target = ActiveChild();
    ImportIntoWindow(ExchangeTarget(target));
}

void CMainFrame::OnPrintSetup()
{
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

void CMainFrame::OnPrint()
{
    if (CVendrillView* view = ActiveView())
        (void)RunPrintDialog(Printer(), view->Query(), this);
}

void CMainFrame::OnPrintPreview()
{
    if (CVendrillView* view = ActiveView())
        RunPrintPreview(Printer(), view->Query(), this);
}

void CMainFrame::PrintHandedFiles(const QStringList& files, const QString& printer)
{
    if (isMinimized())
        showMaximized();
    raise();
    activateWindow();
    // After the hand-over has been answered: the print dialog is modal.
    QTimer::singleShot(0, this, [this, files, printer] {
        for (const QString& file : files)
            (void)PrintTrainingFile(file, printer, m_settings, Printer(), this);
    });
}
