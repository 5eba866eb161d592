// The bundled sample training file: what it contains, that it is exactly what its
// generator writes, and that its help file and media sit beside the built program.

#include "data/TrainingData.h"
#include "data/ui/VendrillDoc.h"
#include "practice/Media.h"
#include "practice/Query.h"
#include "practice/ui/SearchBar.h"
#include "practice/ui/VendrillView.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "ui/MessageBoxPresenter.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <numeric>

namespace {

const QString kResources = QStringLiteral(QUORVANT_SOURCE_DIR "/resources/");

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString BuildDir(const QString& sub) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../") + sub);
}

} // namespace

class tst_Sample : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void contentServesTheTour();
    void examCanBePassed();
    void generatorWritesTheCommittedFile();
    void mediaAndSideFilesBesideTheBuiltProgram();
    void screenshots();

private:
    cTrainingData m_data;
};

void tst_Sample::initTestCase() {
    QCOMPARE(m_data.ReadTrainingFile((kResources + QStringLiteral("beispiel.vdr")).toStdString()), 0);
}

void tst_Sample::contentServesTheTour() {
    QStringList titles;
    for (const cQuestionnaire& q : m_data.m_aQuestionnaires)
        titles << QString::fromLatin1(q.m_strTitle.c_str()); // Latin-1 is Windows-1252 here
    QCOMPARE(titles, QStringList({QStringLiteral("Vokabeln Englisch"),
                                  QStringLiteral("Multiple Choice: Allgemeinwissen"),
                                  QStringLiteral("Wissensfragen mit Selbstbewertung"),
                                  QStringLiteral("Bild und Ton"),
                                  QString::fromUtf8("Prüfung: Gemischte Fragen (5 Minuten)"),
                                  QStringLiteral("Alle Aufgaben")}));
    QCOMPARE(m_data.m_aTasks.size(), std::size_t(17));
    QVERIFY(m_data.m_bShowAll);
    for (const cTask& t : m_data.m_aTasks)
        for (std::uint32_t c : t.m_nStats)
            QCOMPARE(c, 0u); // a fresh start for the user

    // Vocabulary: the model solution passes, and so does a swapped-letter slip of it.
    QVERIFY(m_data.m_bAllowMissing && m_data.m_bAllowExtra && m_data.m_bAllowSwap);
    QCOMPARE(m_data.m_aQuestionnaires[0].m_aTaskIndex.size(), std::size_t(8));
    for (std::uint32_t i : m_data.m_aQuestionnaires[0].m_aTaskIndex) {
        cTask task = m_data.m_aTasks[i];
        QCOMPARE(int(task.m_nPatternCount), 2);
        task.m_strAnswer = task.m_strSolution;
        QCOMPARE(task.CheckAnswer(true, true, true), int(VerdictRight));
        std::swap(task.m_strAnswer[0], task.m_strAnswer[1]);
        QVERIFY(task.CheckAnswer(true, true, true) != VerdictWrong);
    }
    // Multiple choice fits the question screen's three answer rows.
    for (std::uint32_t i : m_data.m_aQuestionnaires[1].m_aTaskIndex) {
        const cTask& task = m_data.m_aTasks[i];
        QCOMPARE(int(task.m_nType), int(TaskTypeMultipleChoice));
        QVERIFY(task.m_nChoiceCount >= 2 && task.m_nChoiceCount <= 3);
        QVERIFY(std::any_of(task.m_bChoiceRight.begin(),
                            task.m_bChoiceRight.begin() + task.m_nChoiceCount,
                            [](bool right) { return right; }));
    }
    for (std::uint32_t i : m_data.m_aQuestionnaires[2].m_aTaskIndex)
        QVERIFY(m_data.m_aTasks[i].m_bSelfAssess && m_data.m_aTasks[i].m_nPoints >= 2);
    // Long model answers must not be filtered away by the word limit.
    QCOMPARE(int(m_data.m_nMaxWords), 0);
}

void tst_Sample::examCanBePassed() {
    const cQuestionnaire& exam = m_data.m_aQuestionnaires[4];
    QCOMPARE(exam.m_nExamSeconds, 300);
    QCOMPARE(exam.m_nPassPoints, 10u);
    QCOMPARE(exam.m_nRetakePoints, 7u);
    const unsigned total = std::accumulate(
        exam.m_aTaskIndex.begin(), exam.m_aTaskIndex.end(), 0u,
        [this](unsigned sum, std::uint32_t i) { return sum + m_data.m_aTasks[i].m_nPoints; });
    QCOMPARE(total, 14u);
    // The only timed questionnaire, so the exam simulation always picks it.
    QCOMPARE(m_data.m_nTimedCount, 1);
}

void tst_Sample::generatorWritesTheCommittedFile() {
    const QString cli = BuildDir(QStringLiteral("cli/quorvant-cli"));
    if (!QFileInfo(cli).isExecutable())
        QSKIP("quorvant-cli is not built beside the tests");
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("beispiel.vdr"));
    QProcess import;
    import.start(cli, {QStringLiteral("import"), kResources + QStringLiteral("beispiel.json"), out});
    QVERIFY(import.waitForFinished(30000));
    QCOMPARE(import.exitCode(), 0);
    QCOMPARE(FileBytes(out), FileBytes(kResources + QStringLiteral("beispiel.vdr")));
}

void tst_Sample::mediaAndSideFilesBesideTheBuiltProgram() {
    const QString built = BuildDir(QStringLiteral("shell/"));
    for (const char* name : {"hilfe_vdr.html", "beispiel_flagge.png", "beispiel_kammerton.wav"}) {
        const QByteArray source = FileBytes(kResources + QLatin1String(name));
        QVERIFY2(!source.isEmpty(), name);
        QVERIFY2(FileBytes(built + QLatin1String(name)) == source, name);
    }
    // The one picture and the one sound the tasks name are found in both places.
    for (const QString& dir : {kResources, built}) {
        QStringList media;
        for (const cTask& task : m_data.m_aTasks) {
            if (!task.m_strPicture.empty())
                media << QString::fromStdString(MediaPath(dir.toStdString(), task.m_strPicture));
            if (!task.m_strSound.empty())
                media << QString::fromStdString(
                    MediaPath(dir.toStdString(), SoundFileName(task.m_strSound)));
        }
        QCOMPARE(media.size(), 2);
        for (const QString& path : std::as_const(media))
            QVERIFY2(FileReadable(path.toStdString()), qPrintable(path));
    }
}

void tst_Sample::screenshots() {
    // The screenshots in docs/screenshots: the real main window with the sample, on the
    // X display that scripts/screenshots.sh starts. Written only on request.
    const QString out = qEnvironmentVariable("QUORVANT_SCREENSHOT_DIR");
    if (out.isEmpty() || QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("QUORVANT_SCREENSHOT_DIR not set or no X display");
    QTemporaryDir dir;
    SetProgramDirPath(BuildDir(QStringLiteral("shell")));
    const QString file = dir.filePath(QStringLiteral("beispiel.vdr"));
    QVERIFY(QFile::copy(kResources + QStringLiteral("beispiel.vdr"), file));
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    cMessageBoxPresenter presenter;
    SetMessagePresenter(&presenter);
    CMainFrame frame(dir.filePath(QStringLiteral("recent.ini")));
    frame.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    CVendrillView* view = frame.OpenDocumentFile(file)->View();
    cQuery& query = view->Query();
    auto shoot = [&](const char* name) {
        QTest::qWait(400);
        QVERIFY(frame.screen()->grabWindow(0).save(QDir(out).filePath(QLatin1String(name))));
    };
    // A step that photographs the modal window and then presses its button (by text).
    auto modal = [&](const char* name, const QString& button,
                     const QString& title = {}) -> ModalScript::Step {
        return [&, name, button, title](QWidget* window) {
            if (window->property("shot").toBool() || !window->windowTitle().startsWith(title))
                return false;
            window->setProperty("shot", true);
            QTimer::singleShot(500, window, [&, name, button, window] {
                (void)frame.screen()->grabWindow(0).save(QDir(out).filePath(QLatin1String(name)));
                for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
                    if (b->text().remove(QLatin1Char('&')) == button && b->isVisible())
                        return b->click();
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->defaultButton())
                    return box->defaultButton()->click();
                window->close();
            });
            return true;
        };
    };
    auto type = [&](const QString& text) {
        view->findChild<QPlainTextEdit*>(QStringLiteral("ctl1000"))->setPlainText(text);
    };
    auto ok = [&] { view->findChild<QAbstractButton*>(QStringLiteral("ctl1003"))->click(); };
    // Back to the overview, then a task of another questionnaire.
    auto startAt = [&](int questionnaire, int row) {
        query.OnBack();
        query.OnBack();
        query.OpenQuestionnaire(questionnaire);
        query.StartAt(row);
    };

    shoot("shell-overview.png");
    frame.menuBar()->actions().first()->menu()->popup(frame.mapToGlobal(QPoint(0, 20)));
    shoot("shell-menu-datei.png");
    frame.menuBar()->actions().first()->menu()->close();
    // The search bar over all tasks; the edit menu naming the steps to undo and redo.
    frame.Action(cmd::kEditFind)->trigger();
    QTest::keyClicks(view->SearchBar()->Field(), QStringLiteral("ue"));
    shoot("view-search.png");
    view->SearchBar()->Close();
    frame.Action(cmd::kNewQuestionnaire)->trigger();
    frame.Action(cmd::kNewQuestionnaire)->trigger();
    frame.Action(cmd::kEditUndo)->trigger();
    frame.menuBar()->actions().at(1)->menu()->popup(frame.mapToGlobal(QPoint(60, 20)));
    shoot("shell-menu-bearbeiten.png");
    frame.menuBar()->actions().at(1)->menu()->close();
    frame.Action(cmd::kEditUndo)->trigger(); // the file's content as read again
    {
        ModalScript script({modal("shell-about.png", QStringLiteral("OK"))});
        frame.Action(cmd::kAbout)->trigger();
    }
    {
        ModalScript script({modal("shell-settings.png", QStringLiteral("Abbrechen"))});
        frame.Action(cmd::kSettings)->trigger();
    }
    {
        ModalScript script({
            [&](QWidget* box) {
                QTimer::singleShot(500, box, [&, box] {
                    (void)frame.screen()->grabWindow(0).save(
                        QDir(out).filePath(QStringLiteral("shell-message.png")));
                    qobject_cast<CMessageBox*>(box)->HelpButton()->click();
                });
                return true;
            },
            modal("shell-quickhelp.png", QStringLiteral("OK"), QStringLiteral("Schnellhilfe")),
            modal("shell-message-again.png", QStringLiteral("Nein")),
        });
        frame.Action(cmd::kResetStatistics)->trigger();
    }
    QFile::remove(QDir(out).filePath(QStringLiteral("shell-message-again.png")));
    query.OpenQuestionnaire(0);
    shoot("view-tasklist.png");
    query.StartAt(0);
    type(QStringLiteral("hous"));
    shoot("view-question.png");
    ok();
    shoot("view-result.png");
    ok();
    type(QStringLiteral("three"));
    ok();
    shoot("view-result-wrong.png");
    startAt(1, 1);
    shoot("view-multiplechoice.png");
    startAt(2, 0);
    type(QStringLiteral("Gesetzgebung, Regierung"));
    ok();
    shoot("view-selfassessment.png");
    startAt(3, 0);
    {
        ModalScript script({modal("shell-picture.png", QString())});
        view->findChild<QAbstractButton*>(QStringLiteral("ctl1007"))->click();
    }
    query.OnBack();
    query.OnBack();
    shoot("view-overview.png");
    {
        ModalScript script({modal("exam-0.png", QString())});
        frame.Action(cmd::kExamStart)->trigger();
    }
    shoot("view-exam-tasklist.png");
    query.StartAt(0);
    type(QStringLiteral("Legislative, Exekutive, Judikative"));
    shoot("view-exam.png");
    {
        // End the exam and the evaluation with the boxes' first answers (the tasks not
        // rated count as wrong); the last box is the verdict.
        std::vector<ModalScript::Step> steps;
        for (const char* name : {"exam-1.png", "exam-2.png", "exam-3.png", "exam-4.png"})
            steps.push_back(modal(name, QString()));
        ModalScript script(steps);
        frame.Action(cmd::kExamEnd)->trigger();
        frame.Action(cmd::kEvaluationEnd)->trigger();
        QTest::qWait(600);
        const QStringList shots = QDir(out).entryList({QStringLiteral("exam-*.png")},
                                                      QDir::Files, QDir::Name);
        QVERIFY(!shots.isEmpty());
        QDir(out).remove(QStringLiteral("view-verdict.png"));
        QVERIFY(QDir(out).rename(shots.last(), QStringLiteral("view-verdict.png")));
    }
    for (const QString& name : QDir(out).entryList({QStringLiteral("exam-*.png")}))
        QFile::remove(QDir(out).filePath(name));
    frame.ActiveChild()->Document().Discard();
    SetMessagePresenter(nullptr);
}

QTEST_MAIN(tst_Sample)
#include "tst_sample.moc"
