// The window's document: new, open, save, save as and close against real files.

#include "data/ui/VendrillDoc.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "data/Document.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::WriteBytes;

namespace {

QString Q(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Writes a realistic training file through the program's writer.
void WriteSample(const std::string& path, int tasks = 12)
{
    cTrainingData data = testfiles::MakeTrainingData(tasks, 7);
    QCOMPARE(data.WriteTrainingFile(path), 0);
}

std::vector<int> CatalogueIds(const RecordingPresenter& boxes)
{
    std::vector<int> ids;
    for (const RecordedBox& b : boxes.boxes)
        ids.push_back(b.currentId);
    return ids;
}

} // namespace

class tst_VendrillDoc : public QObject {
    Q_OBJECT
private slots:
    void newDocumentIsUntitledAndComplete();
    void untitledNumbersCount();
    void openReadsAndCloseWritesStatistics();
    void closeWritesOnlyOnce();
    void failedReadIsNeverWrittenBack();
    void saveWithoutPathDoesNothing();
    void saveAsMovesThePath();
    void saveAsFailureKeepsThePath();
    void failedCloseKeepsDocumentOpen();
    void destructionWritesOpenDocument();
};

void tst_VendrillDoc::newDocumentIsUntitledAndComplete()
{
    RecordingPresenter boxes;
    CVendrillDoc doc;
    QSignalSpy titles(&doc, &CVendrillDoc::TitleChanged);
    doc.NewDocument();
    QCOMPARE(titles.count(), 1);
    QVERIFY(doc.PathName().isEmpty());
    QVERIFY(doc.Title().startsWith(QString::fromUtf8("Übung")));
    QCOMPARE(doc.CurQuestionnaire(), -1);
    QCOMPARE(doc.Data().m_aQuestionnaires.size(), std::size_t(1));
    QCOMPARE(doc.Data().m_aQuestionnaires.back().m_strTitle, std::string(kAllTasksTitle));
    QVERIFY(!doc.Data().m_aColumnTitle.empty());
    QCOMPARE(doc.Data().m_strQuestionTemplate, std::string("{frage}"));
    QVERIFY(doc.Close());
    QVERIFY(boxes.boxes.empty());
}

void tst_VendrillDoc::untitledNumbersCount()
{
    CVendrillDoc a;
    CVendrillDoc b;
    a.NewDocument();
    b.NewDocument();
    const QString prefix = QString::fromUtf8("Übung");
    const int na = a.Title().mid(prefix.size()).toInt();
    const int nb = b.Title().mid(prefix.size()).toInt();
    QVERIFY(na >= 1);
    QCOMPARE(nb, na + 1);
}

void tst_VendrillDoc::openReadsAndCloseWritesStatistics()
{
    TempDir dir;
    const std::string path = dir.Path("stats.vdr");
    WriteSample(path);
    RecordingPresenter boxes;
    CVendrillDoc doc;
    doc.SetPathName(Q(path));
    QCOMPARE(doc.Title(), QStringLiteral("stats.vdr"));
    QCOMPARE(doc.ReadFile(), 0);
    QCOMPARE(doc.Data().m_aTasks.size(), std::size_t(12));
    doc.Data().m_aTasks[3].m_nStats[0] = 4242;
    QVERIFY(doc.Close());
    QVERIFY(doc.IsClosed());
    QVERIFY(boxes.boxes.empty());

    cTrainingData back;
    QCOMPARE(back.ReadTrainingFile(path), 0);
    QCOMPARE(back.m_aTasks[3].m_nStats[0], 4242u);
}

void tst_VendrillDoc::closeWritesOnlyOnce()
{
    TempDir dir;
    const std::string path = dir.Path("once.vdr");
    WriteSample(path);
    CVendrillDoc doc;
    doc.SetPathName(Q(path));
    QCOMPARE(doc.ReadFile(), 0);
    QVERIFY(doc.Close());
    // Changes after the close are not written, not even by the destructor.
    const std::string written = ReadBytes(path);
    doc.Data().m_aTasks[0].m_nStats[1] = 99;
    QVERIFY(doc.Close());
    QCOMPARE(ReadBytes(path), written);
}

void tst_VendrillDoc::failedReadIsNeverWrittenBack()
{
    TempDir dir;
    const std::string path = dir.Path("broken.vdr");
    // A file whose identifier is wrong: the reader refuses it early.
    const std::string bytes = testfiles::StreamBuilder().Str("3FID").Str("Falsch").Bytes();
    WriteBytes(path, bytes);
    RecordingPresenter boxes;
    {
        CVendrillDoc doc;
        doc.SetPathName(Q(path));
        QCOMPARE(doc.ReadFile(), 1);
        QVERIFY(doc.ReadFailed());
        QVERIFY(!CatalogueIds(boxes).empty());
        QCOMPARE(CatalogueIds(boxes).back(), 104);
        // What was read is safe to show: the automatic questionnaire is there.
        QCOMPARE(doc.Data().m_aQuestionnaires.back().m_strTitle, std::string(kAllTasksTitle));
        QVERIFY(doc.Close());
    }
    QCOMPARE(ReadBytes(path), bytes);
}

void tst_VendrillDoc::saveWithoutPathDoesNothing()
{
    RecordingPresenter boxes;
    CVendrillDoc doc;
    doc.NewDocument();
    doc.SetModifiedFlag(true);
    QVERIFY(!doc.Save());
    QVERIFY(doc.IsModified());
    // The caller runs "save as" instead; no failure box for a plain missing path.
    QVERIFY(boxes.boxes.empty());
}

void tst_VendrillDoc::saveAsMovesThePath()
{
    TempDir dir;
    const std::string path = dir.Path("neu.vdr");
    RecordingPresenter boxes;
    CVendrillDoc doc;
    doc.NewDocument();
    doc.Data().m_aTasks.push_back(cTask());
    doc.Data().m_aTasks.back().m_strQuestion = "Frage";
    doc.SetModifiedFlag(true);
    QSignalSpy titles(&doc, &CVendrillDoc::TitleChanged);
    QSignalSpy modified(&doc, &CVendrillDoc::ModifiedChanged);
    QVERIFY(doc.SaveAs(Q(path)));
    QCOMPARE(titles.count(), 1);
    QCOMPARE(modified.count(), 1);
    QVERIFY(!doc.IsModified());
    QCOMPARE(doc.PathName(), Q(path));
    QCOMPARE(doc.Title(), QStringLiteral("neu.vdr"));
    cTrainingData back;
    QCOMPARE(back.ReadTrainingFile(path), 0);
    QCOMPARE(back.m_aTasks.size(), std::size_t(1));
    QCOMPARE(back.m_aTasks[0].m_strQuestion, std::string("Frage"));
    QVERIFY(boxes.boxes.empty());
}

void tst_VendrillDoc::saveAsFailureKeepsThePath()
{
    TempDir dir;
    const std::string path = dir.Path("alt.vdr");
    WriteSample(path);
    RecordingPresenter boxes;
    CVendrillDoc doc;
    doc.SetPathName(Q(path));
    QCOMPARE(doc.ReadFile(), 0);
    // A directory cannot become the file.
    std::filesystem::create_directory(dir.Path("ordner.vdr"));
    QVERIFY(!doc.SaveAs(Q(dir.Path("ordner.vdr"))));
    QCOMPARE(CatalogueIds(boxes), std::vector<int>{105});
    QCOMPARE(doc.PathName(), Q(path));
    QCOMPARE(doc.Title(), QStringLiteral("alt.vdr"));
}

void tst_VendrillDoc::failedCloseKeepsDocumentOpen()
{
    TempDir dir;
    const std::string sub = dir.Path("weg");
    std::filesystem::create_directory(sub);
    const std::string path = sub + "/datei.vdr";
    WriteSample(path);
    RecordingPresenter boxes;
    CVendrillDoc doc;
    doc.SetPathName(Q(path));
    QCOMPARE(doc.ReadFile(), 0);
    std::filesystem::remove_all(sub);
    QVERIFY(!doc.Close());
    QVERIFY(!doc.IsClosed());
    QCOMPARE(CatalogueIds(boxes), std::vector<int>{105});
    // Once the folder is back, closing works and writes the file.
    std::filesystem::create_directory(sub);
    QVERIFY(doc.Close());
    cTrainingData back;
    QCOMPARE(back.ReadTrainingFile(path), 0);
    QCOMPARE(back.m_aTasks.size(), std::size_t(12));
    doc.Discard();
}

void tst_VendrillDoc::destructionWritesOpenDocument()
{
    TempDir dir;
    const std::string path = dir.Path("ende.vdr");
    WriteSample(path);
    {
        CVendrillDoc doc;
        doc.SetPathName(Q(path));
        QCOMPARE(doc.ReadFile(), 0);
        doc.Data().m_aTasks[0].m_nStats[0] = 777;
    }
    cTrainingData back;
    QCOMPARE(back.ReadTrainingFile(path), 0);
    QCOMPARE(back.m_aTasks[0].m_nStats[0], 777u);

    // A discarded document writes nothing when it is destroyed.
    const std::string before = ReadBytes(path);
    {
        CVendrillDoc doc;
        doc.SetPathName(Q(path));
        QCOMPARE(doc.ReadFile(), 0);
        doc.Data().m_aTasks[0].m_nStats[0] = 1;
        doc.Discard();
    }
    QCOMPARE(ReadBytes(path), before);
}

QTEST_MAIN(tst_VendrillDoc)
#include "tst_vendrilldoc.moc"
