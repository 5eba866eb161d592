// The window's document: new, open, save, save as and close against real files.

#include "data/ui/VendrillDoc.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "data/Document.h"

#include <QtTest>

#include <filesystem>

using namespace testfiles;

namespace {

QString Q(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::vector<int> CatalogueIds(const RecordingPresenter& boxes) {
    std::vector<int> ids;
    for (const RecordedBox& b : boxes.boxes) ids.push_back(b.currentId);
    return ids;
}

// The first counter of a task as the file holds it.
std::uint32_t Counter(const std::string& path, int task) {
    cTrainingData back;
    return back.ReadTrainingFile(path) == 0 ? back.m_aTasks[task].m_nStats[0] : 0xFFFFFFFF;
}

} // namespace

class tst_VendrillDoc : public QObject {
    Q_OBJECT
private slots:
    void newDocumentsAreNumberedAndSavedAs() {
        TempDir dir;
        RecordingPresenter boxes;
        CVendrillDoc doc, next;
        QSignalSpy titles(&doc, &CVendrillDoc::TitleChanged);
        doc.NewDocument(); next.NewDocument();
        QCOMPARE(titles.count(), 1);
        QVERIFY(doc.PathName().isEmpty());
        const QString prefix = QString::fromUtf8("Übung");
        QVERIFY(doc.Title().startsWith(prefix));
        const int number = doc.Title().mid(prefix.size()).toInt();
        QVERIFY(number >= 1); QCOMPARE(next.Title(), prefix + QString::number(number + 1));
        QCOMPARE(doc.CurQuestionnaire(), -1);
        QCOMPARE(doc.Data().m_aQuestionnaires.size(), std::size_t(1)); // the core's new document

        // Without a path "save" does nothing: the caller runs "save as" instead, and no
        // failure box shows for a plain missing path.
        doc.Data().m_aTasks.emplace_back().m_strQuestion = "Frage";
        doc.SetModifiedFlag(true);
        QVERIFY(!doc.Save()); QVERIFY(doc.IsModified()); QVERIFY(boxes.boxes.empty());

        // A folder cannot become the file; the document keeps its name.
        std::filesystem::create_directory(dir.Path("ordner.vdr"));
        QVERIFY(!doc.SaveAs(Q(dir.Path("ordner.vdr"))));
        QCOMPARE(CatalogueIds(boxes), std::vector<int>{105});
        QVERIFY(doc.PathName().isEmpty()); QCOMPARE(doc.Title(), prefix + QString::number(number));

        const std::string path = dir.Path("neu.vdr");
        QSignalSpy modified(&doc, &CVendrillDoc::ModifiedChanged);
        QVERIFY(doc.SaveAs(Q(path))); QCOMPARE(titles.count(), 2); QCOMPARE(modified.count(), 1);
        QVERIFY(!doc.IsModified());
        QCOMPARE(doc.PathName(), Q(path)); QCOMPARE(doc.Title(), QStringLiteral("neu.vdr"));
        QVERIFY(doc.Close());
        QCOMPARE(boxes.boxes.size(), std::size_t(1));
    }

    void fileDocumentWritesItsStatisticsOnce() {
        TempDir dir;
        const std::string sub = dir.Path("weg"), path = sub + "/stats.vdr";
        std::filesystem::create_directory(sub);
        cTrainingData sample = testfiles::MakeTrainingData(12, 7);
        QCOMPARE(sample.WriteTrainingFile(path), 0);
        RecordingPresenter boxes;
        {
            CVendrillDoc doc; doc.SetPathName(Q(path));
            QCOMPARE(doc.Title(), QStringLiteral("stats.vdr"));
            QCOMPARE(doc.ReadFile(), 0); QCOMPARE(doc.Data().m_aTasks.size(), std::size_t(12));
            doc.Data().m_aTasks[3].m_nStats[0] = 4242;
            // While the folder is gone closing fails and the document stays open.
            std::filesystem::remove_all(sub);
            QVERIFY(!doc.Close()); QVERIFY(!doc.IsClosed());
            QCOMPARE(CatalogueIds(boxes), std::vector<int>{105});
            // Once the folder is back, closing works and writes the file.
            std::filesystem::create_directory(sub);
            QVERIFY(doc.Close()); QVERIFY(doc.IsClosed());
            QCOMPARE(Counter(path, 3), 4242u);
            // Changes after the close are not written, not even by the destructor.
            doc.Data().m_aTasks[0].m_nStats[0] = 99;
            QVERIFY(doc.Close());
        }
        QVERIFY(Counter(path, 0) != 99u);

        // An open document is written when it is destroyed, a discarded one is not.
        for (const bool discard : {false, true}) {
            CVendrillDoc doc;
            doc.SetPathName(Q(path)); QCOMPARE(doc.ReadFile(), 0);
            doc.Data().m_aTasks[0].m_nStats[0] = discard ? 1 : 777;
            if (discard) doc.Discard();
        }
        QCOMPARE(Counter(path, 0), 777u); QCOMPARE(boxes.boxes.size(), std::size_t(1));
    }

    void failedReadIsNeverWrittenBack() {
        TempDir dir;
        const std::string path = dir.Path("broken.vdr");
        // A file whose identifier is wrong: the reader refuses it early.
        const std::string bytes = testfiles::StreamBuilder().Str("3FID").Str("Falsch").Bytes();
        testfiles::WriteBytes(path, bytes);
        RecordingPresenter boxes;
        {
            CVendrillDoc doc; doc.SetPathName(Q(path));
            QCOMPARE(doc.ReadFile(), 1); QVERIFY(doc.ReadFailed());
            QVERIFY(!CatalogueIds(boxes).empty()); QCOMPARE(CatalogueIds(boxes).back(), 104);
            // What was read is safe to show: the automatic questionnaire is there.
            QCOMPARE(doc.Data().m_aQuestionnaires.back().m_strTitle, std::string(kAllTasksTitle));
            QVERIFY(doc.Close());
        }
        QCOMPARE(ReadBytes(path), bytes);
    }
};

QTEST_MAIN(tst_VendrillDoc)
#include "tst_vendrilldoc.moc"
