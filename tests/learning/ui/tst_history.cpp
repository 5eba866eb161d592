// The answer history in the real window: a database that cannot be used gives one
// message per program run, practice goes on and the training file is saved as always;
// the exam date set in its dialog is stored and the readiness follows it.

#include "common/RecordingPresenter.h"
#include "common/WindowTest.h"
#include "data/Document.h"
#include "data/TrainingData.h"
#include "data/ui/VendrillDoc.h"
#include "learning/History.h"
#include "learning/Learner.h"
#include "learning/ReadinessText.h"
#include "practice/Query.h"
#include "practice/ui/VendrillView.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QtTest>

#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <numeric>

using windowtest::CopySample;
using windowtest::ShowFrame;

class tst_History : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        SetProgramDirPath(m_programDir.path());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_programDir.path()));
    }

    void brokenDatabase_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("stored"); // answers the history holds afterwards
        QTest::newRow("usable") << "usable" << 0 << 2;
        QTest::newRow("damaged") << "damaged" << 1 << -1;
        QTest::newRow("read-only") << "read-only" << 1 << 0;
        QTest::newRow("folder cannot be made") << "folder" << 1 << -1;
        QTest::newRow("locked by another program") << "locked" << 1 << 0;
        // The last answer before the window closes cannot be stored: said when closing.
        QTest::newRow("locked before the last answer") << "locked late" << 1 << 1;
        QTest::newRow("full disk") << "full" << 1 << -1;
    }

    void brokenDatabase() {
        QFETCH(QString, kind); QFETCH(int, messages); QFETCH(int, stored);
        QTemporaryDir work;
        qputenv("XDG_DATA_HOME", QFile::encodeName(work.filePath("data")));
        const std::string db = HistoryFilePath();
        QDir().mkpath(work.filePath("data/Quorvant"));
        // A real full disk: a small file system of its own for the history (needs root).
        const QByteArray mounted = QFile::encodeName(work.filePath("data/Quorvant"));
        if (kind == "full" && mount("tmpfs", mounted.constData(), "tmpfs", 0, "size=256k") != 0)
            QSKIP("mounting a small file system needs root");
        const auto unmount = qScopeGuard([&] { if (kind == "full") umount2(mounted.constData(), MNT_DETACH); });
        sqlite3* other = nullptr; // the other program that holds the lock
        if (kind == "damaged") {
            QFile f(QString::fromStdString(db));
            QVERIFY(f.open(QIODevice::WriteOnly)); f.write(QByteArray(4096, 'x'));
        } else if (kind == "folder") {
            QDir(work.filePath("data")).removeRecursively();
            QFile f(work.filePath("data")); QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (kind != "usable") {
            { cHistory h; QVERIFY(h.Open(db)); }
            if (kind == "read-only")
                QVERIFY(chmod(db.c_str(), 0444) == 0);
            if (kind == "locked") {
                QCOMPARE(sqlite3_open(db.c_str(), &other), SQLITE_OK);
                QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
            }
        }
        CloseSharedHistory();
        ResetHistoryFailureReport();

        RecordingPresenter boxes;
        const QString path = CopySample(work.path(), QStringLiteral("kurs.vdr"));
        auto counted = [&] {
            cTrainingData d;
            if (d.ReadTrainingFile(path.toStdString()) != 0)
                return -1u;
            unsigned sum = 0;
            for (const cTask& t : d.m_aTasks)
                sum += std::accumulate(t.m_nStats.begin(), t.m_nStats.end(), 0u);
            return sum;
        };
        const unsigned before = counted();
        {
            auto frame = ShowFrame(work.path());
            CChildFrame* child = frame->OpenDocumentFile(path);
            QVERIFY(child);
            cQuery& query = child->View()->Query();
            if (kind == "full") { // the history is open; now the disk fills up
                QVERIFY(SharedHistory().IsOpen());
                QFile filler(QString::fromLocal8Bit(mounted) + "/filler");
                QVERIFY(filler.open(QIODevice::WriteOnly));
                while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
                }
            }
            for (int row = 0; row < 2; ++row) { // practice goes on after the message
                if (kind == "locked late" && row == 1) {
                    SharedHistory().Flush();
                    QCOMPARE(sqlite3_open(db.c_str(), &other), SQLITE_OK);
                    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
                }
                query.OpenQuestionnaire(0); query.StartAt(row);
                query.SetAnswerText("gewiss falsch"); query.OnAnswerOk(); query.OnBack();
            }
            QVERIFY(frame->close());
        }
        if (other)
            sqlite3_close(other);
        int historyBoxes = 0;
        for (const RecordedBox& box : boxes.boxes)
            historyBoxes += QString::fromLatin1(box.text.c_str()).contains("Lernverlauf") ? 1 : 0;
        QCOMPARE(historyBoxes, messages);
        if (kind == "full")
            QVERIFY(QString::fromLatin1(boxes.boxes[0].text.c_str()).contains("voll"));
        QCOMPARE(boxes.boxes.size(), std::size_t(messages)); // nothing else was said
        QCOMPARE(counted(), before + 2);                      // the file was saved as always
        if (stored >= 0) {
            chmod(db.c_str(), 0644);
            cHistory h;
            QVERIFY(h.Open(db));
            const auto files = h.Files();
            QCOMPARE(files.empty() ? 0 : int(h.Answers(files[0].first).size()), stored);
        }
        CloseSharedHistory();
    }

    // Two windows on one file: an answer in one counts in the other's memory, and the
    // other's answer to the same task is stored on top of it, not on a stale state.
    void twoWindowsShareTheMemory() {
        QTemporaryDir work;
        qputenv("XDG_DATA_HOME", QFile::encodeName(work.filePath("data")));
        CloseSharedHistory();
        ResetHistoryFailureReport();
        RecordingPresenter boxes;
        const QString path = CopySample(work.path(), QStringLiteral("kurs.vdr"));
        {
            auto frame = ShowFrame(work.path());
            CChildFrame* first = frame->OpenDocumentFile(path);
            QVERIFY(first);
            frame->Action(cmd::kNewWindow)->trigger();
            CChildFrame* second = frame->ActiveChild();
            QVERIFY(second && second != first);
            const int freshBefore = second->View()->Learner().Counts(0).fresh;
            for (CChildFrame* child : {first, second}) {
                cQuery& query = child->View()->Query();
                query.OpenQuestionnaire(0); query.StartAt(0);
                query.SetAnswerText("gewiss falsch"); query.OnAnswerOk(); query.OnBack();
                if (child == first)
                    QCOMPARE(second->View()->Learner().Counts(0).fresh, freshBefore - 1);
            }
            QVERIFY(frame->close());
        }
        cHistory h;
        QVERIFY(h.Open(HistoryFilePath()));
        const auto files = h.Files();
        QCOMPARE(int(files.size()), 1);
        int most = 0;
        for (const cStoredTask& t : h.Tasks(files[0].first))
            most = std::max(most, int(t.state.reps));
        QCOMPARE(most, 2);
        QCOMPARE(int(h.Answers(files[0].first).size()), 2);
        CloseSharedHistory();
    }

    // Set an exam date in the dialog, see it stored and the readiness in the overview and
    // the status bar follow answers and the date; Esc leaves it, "Kein Prüfungstermin" clears.
    void examDateWalk() {
        QTemporaryDir work;
        qputenv("XDG_DATA_HOME", QFile::encodeName(work.filePath("data")));
        CloseSharedHistory();
        ResetHistoryFailureReport();
        RecordingPresenter boxes;
        auto frame = ShowFrame(work.path());
        CChildFrame* child = frame->OpenDocumentFile(CopySample(work.path(), "kurs.vdr"));
        QVERIFY(child);
        CVendrillView* view = child->View();
        cLearner& learner = view->Learner();
        const auto& qs = child->Document().Core().m_data.m_aQuestionnaires;
        const int exam = 4; // "Prüfung: Gemischte Fragen (5 Minuten)", 14 points, pass at 10
        QCOMPARE(qs[exam].m_nPassPoints, 10);
        QAbstractItemModel* overview = view->findChild<QListView*>("ctl1009")->model();
        auto row = [&] { return overview->index(exam, 0).data().toString(); };
        auto* status = frame->findChild<QLabel*>("statusReadiness");
        const QString title = QString::fromUtf8("Prüfung: Gemischte Fragen (5 Minuten)");
        auto plain = [&] { QCOMPARE(row(), title); QVERIFY(status->isHidden()); };
        plain(); // without the plan and an exam date the window looks as it always did

        for (std::uint32_t t : qs[exam].m_aTaskIndex) { // every exam task right just now
            const int points = child->Document().Core().m_data.m_aTasks[t].m_nPoints;
            learner.OnAnswer({int(t), GradeRight, points, points, 900, AnswerKind::Practice});
        }
        plain();

        const std::int64_t today = LocalDay(learner.Now());
        cHistory stored;
        QVERIFY(stored.Open(HistoryFilePath()));
        auto dialog = [&](const std::function<void(QWidget&)>& act) {
            QVERIFY(ModalScript::Run({[&](QWidget* modal) {
                                          if (modal->objectName() != "dlgExamDate")
                                              return false;
                                          act(*modal);
                                          return true;
                                      }},
                                     [&] { frame->findChild<QAction*>(QString("action%1").arg(cmd::kExamDate))->trigger(); }));
        };
        dialog([&](QWidget& dlg) {
            auto* date = dlg.findChild<QDateEdit*>("dateExam");
            QCOMPARE(date->displayFormat(), QString("dd.MM.yyyy"));
            date->setDate(QDate(1970, 1, 1).addDays(today + 60));
            ModalScript::Click(dlg.findChild<QAbstractButton*>("ctl1"));
        });
        QCOMPARE(stored.ExamDay(learner.FileId()), today + 60);
        cLearner other(child->Document().Core(), &stored); // the core's own view of the file
        other.Bind();
        const std::vector<cExamReadiness> r = other.Readiness();
        QVERIFY(r[0].onExamDay.pass < 0.5); // two months without practice
        QCOMPARE(row(), title + "  (" + QString::fromStdString(ReadinessNote(r[0], true)) + ')');
        QVERIFY(row().contains(QString::fromUtf8("Bestehen heute 100 %, am Prüfungstermin ")));
        QCOMPARE(status->text(), QString::fromStdString(FileReadinessLine(r, true)));

        dialog([](QWidget& dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); });
        QCOMPARE(stored.ExamDay(learner.FileId()), today + 60);
        dialog([](QWidget& dlg) { ModalScript::Click(dlg.findChild<QAbstractButton*>("buttonNoExamDate")); });
        QCOMPARE(stored.ExamDay(learner.FileId()), -1);
        plain();
        const_cast<cSettings&>(frame->Settings()).m_bPlan = 1; // the plan on shows it too
        view->RefreshReadiness();
        QCOMPARE(row(), title + QString::fromUtf8("  (fällig 0, neu 0; Bestehen heute 100 %)"));
        QCOMPARE(status->text(), QString::fromUtf8("Prüfungsbereitschaft heute: 100 %"));
        QVERIFY(boxes.boxes.empty());
        QVERIFY(frame->close());
        CloseSharedHistory();
    }

private:
    QTemporaryDir m_programDir;
};

QTEST_MAIN(tst_History)
#include "tst_history.moc"
