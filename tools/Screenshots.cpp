// Developer tool behind scripts/screenshots.sh: writes the pictures of docs/screenshots
// into the folder named by QUORVANT_SCREENSHOT_DIR.
//   quorvant-screenshots shell     the main window with the sample file, on an X display
//   quorvant-screenshots dialogs   the editing dialogs, grabbed offscreen

#include "base/Cp1252.h"
#include "data/TrainingData.h"
#include "data/ui/FilePropsDlg.h"
#include "data/ui/FileSettingsDlg.h"
#include "data/ui/VendrillDoc.h"
#include "learning/History.h"
#include "learning/ui/ExamDateDlg.h"
#include "practice/Editor.h"
#include "practice/Query.h"
#include "practice/ui/QuestionnaireDlg.h"
#include "practice/ui/SearchBar.h"
#include "practice/ui/TaskEditDlg.h"
#include "practice/ui/VendrillView.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "ui/MessageBoxPresenter.h"
#include "ui/ProgramDir.h"

#include <QtTest>
#include <QtWidgets>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QString kSample = QStringLiteral(QUORVANT_SOURCE_DIR "/resources/beispiel.vdr");
QString g_out;

QString Out(const QString& name) { return QDir(g_out).filePath(name); }

// Clicks a button once the current event has been handled.
void ModalClick(QAbstractButton* button) {
    QTimer::singleShot(0, button, [button] { button->click(); });
}

// Acts on the modal windows that come up, one step after the other: a step gets the
// active modal window and returns true once it has acted on it. A run that hangs ends
// the tool instead of waiting for ever.
class Modals {
public:
    using Step = std::function<bool(QWidget*)>;
    explicit Modals(std::vector<Step> steps) : m_steps(std::move(steps)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (m_next < m_steps.size() && modal && modal->isVisible() && m_steps[m_next](modal))
                ++m_next;
            if (m_next < m_steps.size() && m_clock.hasExpired(30000))
                qFatal("a modal window did not come up as expected");
        });
        m_clock.start();
        m_timer.start(15);
    }

private:
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

int ShootShell() {
    QTemporaryDir dir;
    SetProgramDirPath(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../shell")));
    const QString file = dir.filePath(QStringLiteral("beispiel.vdr"));
    if (!QFile::copy(kSample, file))
        qFatal("cannot copy the sample file");
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    cMessageBoxPresenter presenter;
    SetMessagePresenter(&presenter);
    CMainFrame frame(dir.filePath(QStringLiteral("recent.ini")));
    frame.showMaximized();
    if (!QTest::qWaitForWindowExposed(&frame))
        qFatal("the main window did not show");
    CVendrillView* view = frame.OpenDocumentFile(file)->View();
    cQuery& query = view->Query();
    auto save = [&](const QString& name) {
        if (!frame.screen()->grabWindow(0).save(Out(name)))
            qFatal("cannot write %s", qPrintable(Out(name)));
    };
    auto shoot = [&](const char* name) { QTest::qWait(400); save(QLatin1String(name)); };
    // A step that photographs the modal window, then presses its button (by text).
    auto modal = [&](const char* name, const QString& button, const QString& title = {}) -> Modals::Step {
        return [&, name, button, title](QWidget* window) {
            if (window->property("shot").toBool() || !window->windowTitle().startsWith(title))
                return false;
            window->setProperty("shot", true);
            QTimer::singleShot(500, window, [&, name, button, window] {
                save(QLatin1String(name));
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
        query.OnBack(); query.OnBack();
        query.OpenQuestionnaire(questionnaire);
        query.StartAt(row);
    };
    auto menu = [&](int index, const char* name, QPoint at) {
        QMenu* shown = frame.menuBar()->actions().at(index)->menu();
        shown->popup(frame.mapToGlobal(at));
        shoot(name);
        shown->close();
    };

    shoot("shell-overview.png");
    menu(0, "shell-menu-datei.png", QPoint(0, 20));
    // The search bar over all tasks; the edit menu naming the steps to undo and redo.
    frame.Action(cmd::kEditFind)->trigger();
    QTest::keyClicks(view->SearchBar()->Field(), QStringLiteral("ue"));
    shoot("view-search.png");
    view->SearchBar()->Close();
    frame.Action(cmd::kNewQuestionnaire)->trigger();
    frame.Action(cmd::kNewQuestionnaire)->trigger();
    frame.Action(cmd::kEditUndo)->trigger();
    menu(1, "shell-menu-bearbeiten.png", QPoint(60, 20));
    frame.Action(cmd::kEditUndo)->trigger(); // the file's content as read again
    {
        Modals script({modal("shell-about.png", QStringLiteral("OK"))});
        frame.Action(cmd::kAbout)->trigger();
    }
    {
        Modals script({modal("shell-settings.png", QStringLiteral("Abbrechen"))});
        frame.Action(cmd::kSettings)->trigger();
    }
    {
        // The question, its quick help over it, and the question again (declined).
        Modals script({
            [&](QWidget* box) {
                QTimer::singleShot(500, box, [&, box] {
                    save(QStringLiteral("shell-message.png"));
                    qobject_cast<CMessageBox*>(box)->HelpButton()->click();
                });
                return true;
            },
            modal("shell-quickhelp.png", QStringLiteral("OK"), QStringLiteral("Schnellhilfe")),
            modal("shell-message-again.png", QStringLiteral("Nein")),
        });
        frame.Action(cmd::kResetStatistics)->trigger();
    }
    QFile::remove(Out(QStringLiteral("shell-message-again.png")));
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
        Modals script({modal("shell-picture.png", QString())});
        view->findChild<QAbstractButton*>(QStringLiteral("ctl1007"))->click();
    }
    query.OnBack(); query.OnBack();
    shoot("view-overview.png");
    {
        // The exam questionnaire as exam sheets in two variants, in the preview.
        query.OpenQuestionnaire(4);
        Modals script({
            [&](QWidget* dialog) {
                auto* variants = dialog->findChild<QSpinBox*>(QStringLiteral("spinVariants"));
                if (!variants)
                    return false;
                variants->setValue(2);
                dialog->findChild<QLineEdit*>(QStringLiteral("editSeed"))->setText(QStringLiteral("2026"));
                ModalClick(dialog->findChild<QPushButton*>(QStringLiteral("buttonPreview")));
                return true;
            },
            [&](QWidget* preview) {
                if (preview->objectName() != QStringLiteral("examSheetPreview"))
                    return false;
                preview->resize(1180, 760);
                QTimer::singleShot(800, preview, [&, preview] {
                    save(QStringLiteral("exam-sheet-preview.png"));
                    preview->close();
                });
                return true;
            },
        });
        frame.Action(cmd::kExamSheet)->trigger();
        query.OnBack();
    }
    {
        Modals script({modal("exam-0.png", QString())});
        frame.Action(cmd::kExamStart)->trigger();
    }
    shoot("view-exam-tasklist.png");
    query.StartAt(0);
    type(QStringLiteral("Legislative, Exekutive, Judikative"));
    shoot("view-exam.png");
    {
        // End the exam and the evaluation with the boxes' first answers (the tasks not
        // rated count as wrong); the last box is the verdict.
        std::vector<Modals::Step> steps;
        for (const char* name : {"exam-1.png", "exam-2.png", "exam-3.png", "exam-4.png"})
            steps.push_back(modal(name, QString()));
        Modals script(steps);
        frame.Action(cmd::kExamEnd)->trigger();
        frame.Action(cmd::kEvaluationEnd)->trigger();
        QTest::qWait(600);
        const QStringList shots = QDir(g_out).entryList({QStringLiteral("exam-[0-9].png")}, QDir::Files, QDir::Name);
        if (shots.isEmpty())
            qFatal("no verdict box came up");
        QDir(g_out).remove(QStringLiteral("view-verdict.png"));
        QDir(g_out).rename(shots.last(), QStringLiteral("view-verdict.png"));
    }
    for (const QString& name : QDir(g_out).entryList({QStringLiteral("exam-[0-9].png")}))
        QFile::remove(Out(name));
    frame.ActiveChild()->Document().Discard();
    SetMessagePresenter(nullptr);
    return 0;
}

int ShootDialogs() {
    auto shoot = [](QWidget& dialog, const char* name) {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog) || !dialog.grab().save(Out(QLatin1String(name))))
            qFatal("cannot write %s", name);
    };
    // The file settings of a vocabulary file with a few choices made.
    cTrainingData data;
    data.m_bShowAll = data.m_bAllowMissing = data.m_bAllowExtra = data.m_bAllowSwap = true;
    data.m_nMaxWords = 0; data.m_nMinRight = 3; data.m_nMinPercent = 80;
    data.m_bRandom = true; data.m_nCrypt = 1;
    data.m_strQuestionTemplate = Cp1252FromUtf8("Übersetzen Sie: {frage}");
    data.m_strRightTemplate = Cp1252FromUtf8("Die Lösung zu »{frage}« lautet: {antwort}");
    data.m_strWrongTemplate = Cp1252FromUtf8("Richtig wäre: {antwort}");
    CFileSettingsDlg settings;
    settings.SetTrainingData(&data);
    settings.SetResetStatistics([] {});
    settings.Load(data);
    shoot(settings, "dialog-filesettings.png");
    CFilePropsDlg props;
    props.Load(data);
    shoot(props, "dialog-fileprops.png");

    CSplitDlg split;
    split.Load(cSplitTexts{"1,7,12,20", Cp1252FromUtf8("Prüfung"), "10", "3", "2", "6"});
    shoot(split, "dialog-questionnaire.png");

    // A multiple-choice task with every field in use.
    cTask t;
    t.m_strTaskNo = "17";
    t.m_strQuestion = Cp1252FromUtf8("Welche Städte liegen am Rhein?");
    t.m_strSolution = Cp1252FromUtf8("Köln, Bonn");
    t.m_nPoints = 3;
    t.m_nType = TaskTypeMultipleChoice;
    t.m_strCategory = "Erdkunde";
    t.m_strPattern[0] = "unused"; t.m_strPattern[1] = "Koeln|Bonn"; t.m_strPattern[2] = "kept";
    t.m_nPatternCount = 3;
    t.m_strSound = "rhein.wav";
    t.m_strPicture = "karten\\rhein.png";
    t.m_nPictureSize = 2; t.m_nPicturePlace = 1;
    t.m_nChoiceCount = 5;
    t.m_strChoice = {Cp1252FromUtf8("Köln"), "Bonn", "Berlin", "Mainz", "Dresden", "Basel", "Hamburg", "", "", ""};
    t.m_bChoiceRight = {true, true, false, true, false, true, false, false, false, false};
    t.m_strChoiceExtra[0] = "x";
    t.m_bSelfAssess = true;
    t.m_nStats = {1, 2, 3, 4};
    CTaskEditDlg task;
    task.Load(t);
    shoot(task, "dialog-taskedit.png");

    CExamDateDlg exam;
    const std::int64_t today = LocalDay(QDateTime::currentSecsSinceEpoch());
    exam.Load(today + 21, today);
    shoot(exam, "dialog-examdate.png");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true); // as under the test runner: the same pictures
    g_out = qEnvironmentVariable("QUORVANT_SCREENSHOT_DIR");
    const QString mode = argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (g_out.isEmpty() || (mode != QStringLiteral("shell") && mode != QStringLiteral("dialogs"))) {
        std::fprintf(stderr, "usage: QUORVANT_SCREENSHOT_DIR=<folder> %s shell|dialogs\n", argv[0]);
        return 2;
    }
    QDir().mkpath(g_out);
    return mode == QStringLiteral("shell") ? ShootShell() : ShootDialogs();
}
