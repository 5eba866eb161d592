#include "data/ui/VendrillDoc.h"

#include "data/Document.h"

#include <QFile>
#include <QFileInfo>

namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Untitled documents are numbered through the whole run, like "Übung1", "Übung2".
int NextUntitledNumber()
{
    static int counter = 0;
    return ++counter;
}

} // namespace

CVendrillDoc::CVendrillDoc(QObject* parent)
    : QObject(parent), m_core(std::make_unique<cDocument>())
{
}

CVendrillDoc::~CVendrillDoc()
{
    Close();
}

cTrainingData& CVendrillDoc::Data()
{
    return m_core->m_data;
}

const cTrainingData& CVendrillDoc::Data() const
{
    return m_core->m_data;
}

cDocument& CVendrillDoc::Core()
{
    return *m_core;
}

int CVendrillDoc::CurQuestionnaire() const
{
    return m_core->m_nCurQuestionnaire;
}

void CVendrillDoc::SetCurQuestionnaire(int index)
{
    m_core->m_nCurQuestionnaire = index;
}

bool CVendrillDoc::IsModified() const
{
    return m_core->IsModified();
}

void CVendrillDoc::SetModifiedFlag(bool modified)
{
    const bool was = m_core->IsModified();
    m_core->SetModifiedFlag(modified);
    if (was != modified)
        emit ModifiedChanged(modified);
}

bool CVendrillDoc::Undo(bool redo)
{
    const bool was = m_core->IsModified();
    if (!(redo ? m_core->Redo() : m_core->Undo()))
        return false;
    emit ContentRestored();
    if (was != m_core->IsModified())
        emit ModifiedChanged(m_core->IsModified());
    return true;
}

void CVendrillDoc::SetPathName(const QString& path)
{
    m_core->m_data.m_strPath = LocalPath(path);
    emit TitleChanged();
}

QString CVendrillDoc::PathName() const
{
    return QFile::decodeName(QByteArray::fromStdString(m_core->Path()));
}

QString CVendrillDoc::Title() const
{
    const QString path = PathName();
    if (!path.isEmpty())
        return QFileInfo(path).fileName();
    return m_strUntitled;
}

void CVendrillDoc::SetUntitledTitle(const QString& title)
{
    m_strUntitled = title;
    emit TitleChanged();
}

int CVendrillDoc::ReadFile()
{
    const std::string path = m_core->Path();
    if (path.empty())
        return 1;
    m_bRead = true;
    return m_core->Open(path);
}

void CVendrillDoc::UpdateAllViews(QObject* sender, bool structure)
{
    emit ViewsToUpdate(sender, structure);
}

void CVendrillDoc::NewDocument()
{
    m_core->NewDocument();
    m_core->m_data.m_strPath.clear();
    m_strUntitled = QString::fromUtf8("Übung") + QString::number(NextUntitledNumber());
    m_bClosed = false;
    emit TitleChanged();
}

bool CVendrillDoc::Save(bool overwrite)
{
    if (m_core->Path().empty())
        return false;
    const bool was = m_core->IsModified();
    const bool saved = m_core->Save(overwrite) == 0;
    if (was != m_core->IsModified())
        emit ModifiedChanged(m_core->IsModified());
    return saved;
}

bool CVendrillDoc::SaveAs(const QString& path)
{
    const bool was = m_core->IsModified();
    const bool saved = m_core->SaveAs(LocalPath(path)) == 0;
    if (saved)
        emit TitleChanged();
    if (was != m_core->IsModified())
        emit ModifiedChanged(m_core->IsModified());
    return saved;
}

bool CVendrillDoc::Close(bool overwrite)
{
    if (m_bClosed)
        return true;
    // The close-time write; a file that failed to read is never written back over.
    const bool was = m_core->IsModified();
    const bool closed = m_core->Close(overwrite) == 0;
    if (was != m_core->IsModified())
        emit ModifiedChanged(m_core->IsModified());
    if (!closed)
        return false;
    m_bClosed = true;
    return true;
}

void CVendrillDoc::Discard()
{
    m_bClosed = true;
}

SaveOutcome CVendrillDoc::LastSaveOutcome() const
{
    return m_core->LastSaveOutcome();
}

bool CVendrillDoc::IsClosed() const
{
    return m_bClosed;
}

bool CVendrillDoc::ReadFailed() const
{
    return m_core->ReadFailed();
}
