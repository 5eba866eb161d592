// The training view end to end: a real training file opened through the document,
// driven with mouse and keyboard, checked on screen and on disk after closing. The rules
// behind the screens (verdicts, counters, headings) are the core's; these tests check
// that the view shows them and that its controls reach them.

#include "ViewTestSupport.h"

#include "practice/TaskList.h"
#include "practice/ui/PercentBar.h"
#include "practice/ui/ViewImages.h"
#include "ui/Text.h"

#include <QtWidgets>

#include <sys/stat.h>
#include <unistd.h>

using namespace viewtest;

namespace {

const QString kOverviewHeading = QStringLiteral(
    "Fragebogenübersicht (Doppelklicken Sie mit der linken Maustaste auf einen Fragebogen, "
    "um ihn zu öffnen)");
const QString kVocabularyHeading = QStringLiteral(
    "Fragebogen 'Vokabeln' (Doppelklicken Sie auf eine Zeile, um die Abfrage an dieser Stelle "
    "zu starten)");

// Controls of the question screens whose visibility the modes decide.
const QList<int> kScreenControls = {1010, 1000, 1003, 1004, 1014, 1013, 1006, 1073, 1007,
                                    1071, 1072, 1070, 1076, 1011, 1012, 1077, 1078, 1079,
                                    1080, 1081, 1082, 1009, 1002, 1063};

QList<int> VisibleControls(const ViewFixture& f) {
    QList<int> shown;
    for (int id : kScreenControls)
        if (f.Widget(id) && f.Widget(id)->isVisible())
            shown << id;
    std::sort(shown.begin(), shown.end());
    return shown;
}

// The picture a list shows for an item (normal state, natural size).
QImage Decoration(const QModelIndex& index, QSize size) {
    return index.data(Qt::DecorationRole).value<QIcon>().pixmap(size).toImage();
}

// The texts of a list's first column, top to bottom.
QStringList FirstColumn(const QAbstractItemView* list) {
    QStringList texts;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        texts << list->model()->index(row, 0).data().toString();
    return texts;
}

void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, mods);
}

// Wrong and right counters of a task on disk.
std::pair<int, int> Counted(const cTrainingData& d, int task) {
    return {int(d.m_aTasks[task].m_nStats[0]), int(d.m_aTasks[task].m_nStats[1])};
}

} // namespace

class tst_VendrillView : public QObject {
    Q_OBJECT
private slots:
    void overviewAfterOpening() {
        ViewFixture f;
        QCOMPARE(f.Mode(), 2);
        QCOMPARE(f.Heading(), kOverviewHeading);
        QCOMPARE(VisibleControls(f), QList<int>{1009});
        QAbstractItemView* overview = f.Overview();
        QCOMPARE(FirstColumn(overview), (QStringList{"Vokabeln", "Gemischt", "Prüfung", "Alle Aufgaben"}));
        QVERIFY(overview->hasFocus());
        QCOMPARE(f.TaskList()->model()->rowCount(), 3); // questionnaire 0, loaded though hidden
        QCOMPARE(Decoration(overview->model()->index(0, 0), {32, 32}), // icon 1 by m_nIcon
                 ViewImages::QuestionnaireImage(1).toImage());
        // A click or double click beside the entries keeps the selection and opens nothing.
        const QPoint beside(overview->viewport()->width() / 2, overview->viewport()->height() - 5);
        QVERIFY(!overview->indexAt(beside).isValid());
        QTest::mouseClick(overview->viewport(), Qt::LeftButton, Qt::NoModifier, beside);
        QTest::mouseDClick(overview->viewport(), Qt::LeftButton, Qt::NoModifier, beside);
        QCOMPARE(f.Mode(), 2);
        QCOMPARE(overview->currentIndex().row(), 0);
        QVERIFY(overview->selectionModel()->isRowSelected(0, QModelIndex()));
        QVERIFY(f.boxes.boxes.empty());
        cTrainingData hidden = SampleData(); hidden.m_bShowAll = false;
        QCOMPARE(ViewFixture(hidden).Overview()->model()->rowCount(), 3); // no "Alle Aufgaben"
    }

    void overviewHeadingWhenShownBeforeSetUp() {
        // The main window shows a child window first and sets its view up afterwards, so
        // no later resize lays the overview out again.
        for (const bool withFile : {true, false}) {
            ViewFixture f; f.Close();
            f.doc = std::make_unique<CVendrillDoc>();
            if (withFile)
                f.doc->SetPathName(QString::fromStdString(f.path));
            else
                f.doc->NewDocument();
            f.view = std::make_unique<CVendrillView>(*f.doc, f.settings);
            f.view->resize(900, 700); f.view->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.view.get()));
            f.view->InitialUpdate();
            QCoreApplication::processEvents();
            QCOMPARE(f.Mode(), 2);
            QCOMPARE(f.Heading(), kOverviewHeading);
            QCOMPARE(f.Query().CurrentQuestionnaire(), 0); // loaded, though not shown yet
        }
    }

    void unreadableFileReportsAndShowsOverview() {
        ViewFixture f; f.Close();
        testfiles::WriteBytes(f.path, "kein Trainingsfile");
        f.Open();
        QVERIFY(!f.boxes.boxes.empty());
        QCOMPARE(ToQString(f.boxes.boxes.back().text), QStringLiteral("Fehler beim Öffnen der Datei"));
        QCOMPARE(f.Mode(), 2);
        QVERIFY(f.Overview()->isVisible());
        f.Close();
        // The damaged file is not overwritten by what little could be read.
        QCOMPARE(testfiles::ReadBytes(f.path), std::string("kein Trainingsfile"));
    }

    void openQuestionnaire() {
        ViewFixture f;
        QAbstractItemView* overview = f.Overview();
        QTableView* list = f.TaskList();
        for (const std::string how : {"double click", "Enter", "drag start"}) {
            // "Gemischt" opened and left first, so that "Vokabeln" is not the current one.
            f.OpenQuestionnaire(QMixed);
            QTest::keyClick(list, Qt::Key_Escape);
            QCOMPARE(f.Mode(), 2);
            QCOMPARE(overview->currentIndex().row(), int(QMixed));
            if (how == "double click") {
                f.OpenQuestionnaire(QVocabulary);
            } else if (how == "Enter") {
                overview->setCurrentIndex(overview->model()->index(QVocabulary, 0));
                QTest::keyClick(overview, Qt::Key_Return);
            } else {
                ViewFixture::DragRow(overview, QVocabulary);
            }
            QVERIFY2(f.Mode() == 3, how.c_str());
            QCOMPARE(f.Heading(), kVocabularyHeading);
            QCOMPARE(VisibleControls(f), QList<int>{1002});
            QVERIFY(list->hasFocus() && list->currentIndex().row() == 0);
            QCOMPARE(f.Query().CurrentQuestionnaire(), int(QVocabulary));
            QCOMPARE(f.doc->CurQuestionnaire(), int(QVocabulary));
            QTest::keyClick(list, Qt::Key_Escape);
        }

        // The list shows the file's columns and the statistics of each row.
        f.OpenQuestionnaire(QVocabulary);
        QAbstractItemModel* model = list->model();
        QCOMPARE(model->rowCount(), 3);
        QStringList titles, street;
        for (int c = 0; c < model->columnCount(); ++c) {
            titles << model->headerData(c, Qt::Horizontal).toString();
            street << model->index(2, c).data().toString();
        }
        QCOMPARE(titles, (QStringList{"Nr", "Statistik", "Frage", "Punkte"}));
        QCOMPARE(street, (QStringList{"12", " 0 /  0", "Straße", "1"}));
        // The file's column widths; the statistics column may be widened to fit its counters.
        QVERIFY(list->columnWidth(1) >= 100);
        QCOMPARE((QList<int>{list->columnWidth(0), list->columnWidth(2), list->columnWidth(3)}),
                 (QList<int>{60, 300, 60}));
        // Row 1 ("Baum") was answered 2 right, 1 wrong: w = 3, r = 7, image 10.
        QCOMPARE(f.Row(1), (StatsCell{" 2 /  1", 10}));
        QCOMPARE(Decoration(model->index(1, 1), {32, 18}), ViewImages::TaskImage(10).toImage());
        QCOMPARE(f.Row(0), (StatsCell{" 0 /  0", 0}));
        QVERIFY(!model->index(0, 2).data(Qt::DecorationRole).isValid()); // statistics column only

        // A view narrower than its heading (an 800 x 600 main window): the heading ends in
        // "…" within the view; a wide one shows it whole.
        const QLabel* heading = f.Ctl<QLabel>(1064);
        const int needed = heading->fontMetrics().horizontalAdvance(kVocabularyHeading) + 10;
        for (const bool narrow : {true, false}) {
            f.view->resize(needed + (narrow ? -80 : 40), 520);
            QCoreApplication::processEvents();
            QVERIFY(heading->fontMetrics().horizontalAdvance(heading->text()) <= heading->width());
            QCOMPARE(heading->text().endsWith(QChar(0x2026)), narrow);
            QCOMPARE(f.Heading(), kVocabularyHeading);
        }
    }

    void statisticsColumnFitsCounters() {
        for (const int fileWidth : {40, 400}) { // narrow: widened; wide: kept
            cTrainingData data = SampleData();
            data.m_aColumnWidth[1] = static_cast<std::uint32_t>(fileWidth);
            data.m_aTasks[TaskColours].m_nStats = {12, 34, 0, 56}; // wrong, 1 point, -, right
            ViewFixture f(data);
            f.OpenQuestionnaire(QMixed);
            QTableView* list = f.TaskList();
            const QModelIndex cell = list->model()->index(0, 1);
            QCOMPARE(cell.data().toString(), QStringLiteral("56 / 34 / 12"));
            // What the list's own delegate needs for the image and the text of a 3-point task.
            QStyleOptionViewItem option;
            option.initFrom(list); option.decorationSize = list->iconSize();
            const int needed = list->itemDelegate()->sizeHint(option, cell).width();
            QVERIFY(list->columnWidth(1) >= needed && list->columnWidth(1) >= fileWidth);
            if (fileWidth >= needed)
                QCOMPARE(list->columnWidth(1), fileWidth);
            QCOMPARE(list->columnWidth(2), 300); // the other columns keep the file's widths
        }
    }

    void answerAndCount() {
        struct Case { const char* typed; const char* result; bool right; const char* stats; int image; };
        const Case cases[] = {
            {"house", "'house'  ist Richtig!!!\n\nDie Lösung zu »Haus« lautet: house", true, " 1 /  0", 1},
            {"mouse", "'mouse'  ist Falsch!!\nRichtig wäre: house", false, " 0 /  1", 66}};
        for (const Case& c : cases) {
            ViewFixture f;
            f.Ask(QVocabulary, 0);
            QCOMPARE(f.Mode(), 4);
            QVERIFY(f.Answer()->hasFocus() && !f.Answer()->isReadOnly());
            f.Submit(c.typed);
            QCOMPARE(f.Mode(), 5);
            QCOMPARE(f.ResultText(), QString::fromUtf8(c.result)); // the marks are checked in screens()
            QVERIFY(f.Answer()->isReadOnly());
            QCOMPARE(f.Answer()->toPlainText(), QString(c.typed));
            QCOMPARE(f.Row(0), (StatsCell{QString(c.stats), c.image}));
            // OK on the result goes to the next task with an empty field.
            f.Click(1003);
            QCOMPARE(f.At(), (Where{4, 1}));
            QCOMPARE(f.TaskList()->currentIndex().row(), 1);
            QCOMPARE(f.Answer()->toPlainText(), QString());
            QCOMPARE(f.ResultText(), QStringLiteral("Übersetzen Sie: Baum"));
            const cTrainingData disk = f.Closed();
            QCOMPARE(Counted(disk, TaskHouse), (std::pair{c.right ? 0 : 1, c.right ? 1 : 0}));
            QCOMPARE(Counted(disk, TaskTree), (std::pair{1, 2}));
        }
    }

    void nextOnRightLineBreakAndWarningTone() {
        cTrainingData data = SampleData();
        data.m_aTasks[TaskHouse].m_strSolution = "rot\r\nblau"; data.m_aTasks[TaskHouse].m_nPatternCount = 0;
        ViewFixture f(data, true);
        FakePlayer tone;
        f.view->SetWarningPlayer(&tone); f.settings.m_bBeepOnWrong = 1;
        f.Ask(QVocabulary, 0);
        // A line break typed in the field is the solution's CR LF; right goes on at once.
        f.Submit("rot\nblau");
        QCOMPARE(f.At(), (Where{4, 1}));
        QCOMPARE(f.RowStats(0), QStringLiteral(" 1 /  0"));
        QVERIFY(tone.log.empty());
        // A wrong answer still stops on the result, with the warning tone.
        f.Submit("wood");
        QCOMPARE(f.Mode(), 5);
        QVERIFY(f.Widget(1012)->isVisible());
        QCOMPARE(tone.log, (std::vector<std::string>{"open :/sounds/warning-tone.wav", "stop", "play"}));
    }

    void keyboardWalk() {
        ViewFixture f;
        QTableView* list = f.TaskList();
        QTest::keyClick(f.Overview(), Qt::Key_Return);
        QCOMPARE(f.Mode(), 3);
        QCOMPARE(f.Query().CurrentQuestionnaire(), int(QVocabulary));
        // Enter in the task list starts at the selected row.
        Press(Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentIndex().row(), 2);
        QCOMPARE(f.Query().SelectionMark(), 2);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(f.At(), (Where{4, 2}));
        QCOMPARE(f.ResultText(), QStringLiteral("Übersetzen Sie: Straße"));
        QCOMPARE(QApplication::focusWidget(), f.Answer());
        // Enter is a line break in the answer; Ctrl+Enter answers.
        f.Type("a\nstreet");
        QCOMPARE(f.Answer()->toPlainText(), QStringLiteral("a\nstreet"));
        QCOMPARE(f.Mode(), 4);
        f.Answer()->clear(); f.Type("street");
        QTest::keyClick(f.Answer(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(f.Mode(), 5);
        QCOMPARE(f.RowStats(2), QStringLiteral(" 1 /  0"));
        // The result screen goes on with Enter on the focused OK button, wrapping round.
        QCOMPARE(QApplication::focusWidget(), f.Widget(1003));
        Press(Qt::Key_Return);
        QCOMPARE(f.At(), (Where{4, 0}));

        // Skipping and showing the solution count nothing.
        f.Type("egal");
        f.Click(1004);
        QCOMPARE(f.At(), (Where{4, 1}));
        QCOMPARE(f.Answer()->toPlainText(), QString());
        QCOMPARE(QApplication::focusWidget(), f.Answer()); // ready to type the next answer
        f.Click(1014);
        QCOMPARE(f.Mode(), 5);
        QCOMPARE(f.ResultText(), QStringLiteral("Die Lösung zu »Baum« lautet: tree"));
        QVERIFY(!f.Widget(1011)->isVisible() && !f.Widget(1012)->isVisible());
        f.Click(1003);
        QCOMPARE(f.Query().CurrentRow(), 2);
        f.Click(1004); // wrapping round: after the last row comes row 0
        QCOMPARE(f.Query().CurrentRow(), 0);
        f.Click(1004);

        // Esc goes back step by step (the answer field does not take it for itself).
        QTest::keyClick(f.Answer(), Qt::Key_Escape);
        QCOMPARE(f.Mode(), 3);
        QCOMPARE(f.Heading(), kVocabularyHeading);
        QCOMPARE(list->currentIndex().row(), 1);
        QTest::keyClick(list, Qt::Key_Escape);
        QCOMPARE(f.Mode(), 2);
        QCOMPARE(f.Heading(), kOverviewHeading);
        QCOMPARE(f.Answer()->toPlainText(), QString());
        QTest::keyClick(f.Overview(), Qt::Key_Escape);
        QCOMPARE(f.Mode(), 2);
        // The routed command does the same; a drag start on a row asks that row.
        f.OpenQuestionnaire(QVocabulary);
        QVERIFY(f.view->ExecuteCommand(32785));
        QCOMPARE(f.Mode(), 2);
        f.OpenQuestionnaire(QVocabulary);
        ViewFixture::DragRow(list, 1);
        QCOMPARE(f.At(), (Where{4, 1}));
        QVERIFY(f.boxes.boxes.empty());
        const cTrainingData disk = f.Closed();
        QCOMPARE(Counted(disk, TaskStreet), (std::pair{0, 1}));
        QCOMPARE(Counted(disk, TaskHouse), (std::pair{0, 0}));
        QCOMPARE(Counted(disk, TaskTree), (std::pair{1, 2}));
    }

    void screens_data() {
        QTest::addColumn<int>("questionnaire"); QTest::addColumn<int>("row");
        QTest::addColumn<QString>("action"); QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("visible");
        const QList<int> asking{1000, 1003, 1004, 1013, 1014};
        QTest::newRow("text task asked") << int(QVocabulary) << 0 << "" << 4 << asking;
        QTest::newRow("with sound and picture") << int(QVocabulary) << 2 << "" << 4
                                                << QList<int>{1000, 1003, 1004, 1006, 1007, 1013, 1014, 1073};
        QTest::newRow("right result") << int(QVocabulary) << 0 << "house" << 5
                                      << QList<int>{1000, 1003, 1011, 1013};
        QTest::newRow("wrong result") << int(QVocabulary) << 0 << "maus" << 5
                                      << QList<int>{1000, 1003, 1012, 1013};
        QTest::newRow("solution shown") << int(QVocabulary) << 0 << "solution" << 5
                                        << QList<int>{1000, 1003, 1013};
        QTest::newRow("two choices asked") << int(QMixed) << 1 << "" << 4
                                           << QList<int>{1003, 1004, 1013, 1014, 1077, 1078, 1080, 1081};
        QTest::newRow("two choices rated") << int(QMixed) << 1 << "tick0" << 5
                                           << QList<int>{1003, 1011, 1013, 1077, 1078, 1080, 1081};
        QTest::newRow("one point rated: no partial points") << int(QMixed) << 3 << "chair" << 6
                                                            << QList<int>{1000, 1003, 1013, 1070, 1071};
    }

    void screens() {
        QFETCH(int, questionnaire); QFETCH(int, row); QFETCH(QString, action); QFETCH(int, mode);
        QFETCH(QList<int>, visible);
        ViewFixture f;
        f.Ask(questionnaire, row);
        if (action == "solution") {
            f.Click(1014);
        } else if (action == "tick0") {
            QTest::mouseClick(f.Widget(1077), Qt::LeftButton);
            f.Click(1003);
        } else if (!action.isEmpty()) {
            f.Submit(action);
        }
        QCOMPARE(f.Mode(), mode);
        visible << 1010; // the result text is on every question screen
        std::sort(visible.begin(), visible.end());
        QCOMPARE(VisibleControls(f), visible);
        // White background on every question screen.
        QVERIFY(f.view->autoFillBackground());
        QCOMPARE(f.view->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void selfAssessmentScreen() {
        ViewFixture f;
        f.Ask(QMixed, 0);
        QCOMPARE(f.Heading(), QStringLiteral("Aufgabe Nr.: 7                         Allgemeinwissen"));
        f.Submit(QStringLiteral("rot grün"));
        QCOMPARE(f.Mode(), 6);
        QCOMPARE(VisibleControls(f), (QList<int>{1000, 1003, 1010, 1013, 1070, 1071, 1072, 1076}));
        auto* combo = f.Ctl<QComboBox>(1076);
        QCOMPARE(DialogTexts(*f.view).filter("ctl1076:"),
                 (QStringList{"ctl1076:1 Punkt", "ctl1076:2 Punkte"}));
        QCOMPARE(combo->currentIndex(), 0);
        // The check found it wrong: "Falsch" is preset, and nothing is counted yet.
        QVERIFY(f.Ctl<QRadioButton>(1070)->isChecked());
        QCOMPARE(f.RowStats(0), QStringLiteral(" 0 /  0 /  0"));

        // The question area is stacked: rating buttons right of the text, 20 pixels apart,
        // the points list beside "Teilrichtig", the answer field below everything.
        const QRect text = f.Widget(1010)->geometry(), answer = f.Widget(1000)->geometry();
        const QRect right = f.Widget(1071)->geometry(), partly = f.Widget(1072)->geometry();
        const QRect wrong = f.Widget(1070)->geometry(), points = f.Widget(1076)->geometry();
        QCOMPARE(text.left(), 15);
        QVERIFY(text.width() <= f.view->width() - 220);
        QCOMPARE(right.left(), text.left() + text.width() + 15);
        QCOMPARE((QList<int>{right.top(), partly.top(), wrong.top(), points.top()}),
                 (QList<int>{text.top(), text.top() + 20, text.top() + 40, text.top() + 20}));
        QVERIFY(points.left() > partly.right());
        // The answer field is 500 x 125 at x 15, 35 below the lowest; the buttons 50 below it.
        const int lowest = std::max({text.bottom(), right.bottom(), partly.bottom(), wrong.bottom(),
                                     points.bottom()});
        QCOMPARE(answer, QRect(15, lowest + 1 + 35, 500, 125));
        const int buttonTop = answer.bottom() + 1 + 50;
        QCOMPARE(f.Widget(1003)->geometry().topLeft(), QPoint(405, buttonTop));
        QCOMPARE(f.Widget(1013)->geometry().topLeft(), QPoint(515, buttonTop));
        // A text too long for one line is wrapped inside the client width less 220.
        f.view->resize(600, 700);
        QVERIFY(f.Widget(1010)->width() <= 380);
        QCOMPARE(f.Widget(1071)->x(), f.Widget(1010)->x() + f.Widget(1010)->width() + 15);

        // Choosing "2 Punkte" selects "Teilrichtig".
        combo->setFocus(); QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(combo->currentIndex(), 1);
        QVERIFY(f.Ctl<QRadioButton>(1072)->isChecked() && !f.Ctl<QRadioButton>(1070)->isChecked());
        f.Click(1003);
        QCOMPARE(f.At(), (Where{4, 1}));
        QCOMPARE(f.Row(0), (StatsCell{" 0 /  1 /  0", 56})); // only partly right answers
        const cTask colours = f.Closed().m_aTasks[TaskColours];
        QCOMPARE(int(colours.m_nStats[2]), 1);
        QCOMPARE(int(colours.m_nStats[0] + colours.m_nStats[1] + colours.m_nStats[3]), 0);
    }

    void multipleChoice() {
        ViewFixture f;
        f.Ask(QMixed, 1); // two answers, no answer field: OK has the focus
        QCOMPARE(f.Mode(), 4);
        QCOMPARE(QApplication::focusWidget(), f.Widget(1003));
        QCOMPARE(f.Ctl<QLabel>(1080)->text() + "|" + f.Ctl<QLabel>(1081)->text(), "Berlin|Paris");
        const QRect text = f.Widget(1010)->geometry(), tick0 = f.Widget(1077)->geometry();
        QCOMPARE(tick0.topLeft(), QPoint(15, text.bottom() + 1 + 35));
        QCOMPARE(f.Widget(1078)->geometry().top(), tick0.top() + 30);
        QCOMPARE(f.Widget(1080)->x(), tick0.width() + 15);
        // The icons of the two boxes after each step: 148 empty, 149 ticked.
        const auto icons = [&f] {
            return std::pair{f.Widget(1077)->property("iconId").toInt(),
                             f.Widget(1078)->property("iconId").toInt()};
        };
        using P = std::pair<int, int>;
        QCOMPARE(icons(), (P{148, 148}));
        // Clicking the box or its text flips the tick.
        QTest::mouseClick(f.Widget(1077), Qt::LeftButton); QCOMPARE(icons(), (P{149, 148}));
        QTest::mouseClick(f.Widget(1081), Qt::LeftButton); QCOMPARE(icons(), (P{149, 149}));
        QTest::mouseClick(f.Widget(1081), Qt::LeftButton); QCOMPARE(icons(), (P{149, 148}));
        QCOMPARE(f.Ctl<QLabel>(1077)->pixmap().toImage(), ViewImages::IconImage(149).toImage());
        // So do the digit keys, the keypad's too.
        Press(Qt::Key_2); QCOMPARE(icons(), (P{149, 149}));
        Press(Qt::Key_2); QCOMPARE(icons(), (P{149, 148}));
        Press(Qt::Key_1, Qt::KeypadModifier); QCOMPARE(icons(), (P{148, 148}));
        Press(Qt::Key_1); QCOMPARE(icons(), (P{149, 148}));
        // No third row, and a modified digit is not a tick.
        Press(Qt::Key_3);
        Press(Qt::Key_2, Qt::ControlModifier); QCOMPARE(icons(), (P{149, 148}));
        QVERIFY(!f.Widget(1079)->isVisible());
        QVERIFY(f.Ctl<QLabel>(1080)->toolTip().endsWith(QStringLiteral("(Taste 1)")));
        // Checked: ticked and right (150), not ticked and wrong (153); the right mark.
        Press(Qt::Key_Return);
        QCOMPARE(f.Mode(), 5);
        QCOMPARE(icons(), (P{150, 153}));
        QVERIFY(f.Widget(1011)->isVisible());
        QCOMPARE(f.RowStats(1), QStringLiteral(" 1 /  0"));
        // On the result screen clicks and digits change nothing.
        QTest::mouseClick(f.Widget(1077), Qt::LeftButton);
        Press(Qt::Key_2); QCOMPARE(icons(), (P{150, 153}));
        f.Click(1003);
        // The next one has four answers: no rows, the answer field, which takes digits.
        QCOMPARE(f.Query().CurrentRow(), 2);
        QVERIFY(!f.Widget(1077)->isVisible() && f.Answer()->isVisible());
        QTest::keyClick(f.Answer(), Qt::Key_1, Qt::NoModifier);
        QCOMPARE(f.Answer()->toPlainText(), QStringLiteral("1"));
    }

    void media() {
        ViewFixture f;
        f.Ask(QVocabulary, 2);
        const QDir dir(QString::fromStdString(f.dir.Dir()));
        // The sound is opened relative to the program folder and starts at once.
        const std::string open = "open " + dir.filePath("ton.wav").toStdString();
        QVERIFY(std::find(f.player.log.begin(), f.player.log.end(), open) != f.player.log.end());
        QCOMPARE(f.player.log.back(), std::string("play"));
        f.player.log.clear(); f.Type("str");
        // Pausing, listening again or looking at the picture keeps the keyboard in the field.
        f.Click(1073);
        QCOMPARE(f.player.log, std::vector<std::string>{"pause"});
        QCOMPARE(QApplication::focusWidget(), f.Answer());
        f.Click(1073);
        QCOMPARE(f.player.log.back(), std::string("play"));
        for (int id : {1006, 1007}) {
            f.Click(id);
            QCOMPARE(QApplication::focusWidget(), f.Answer());
        }
        QCOMPARE(f.pictures, std::vector<QString>{dir.filePath("bilder/strasse.png")});
        for (const QChar ch : QStringLiteral("eet"))
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
        QCOMPARE(f.Answer()->toPlainText(), QStringLiteral("street"));
        // The keyboard still reaches the buttons.
        for (int id : {1006, 1073, 1007})
            QVERIFY(f.Widget(id)->focusPolicy() & Qt::TabFocus);
        const int top = f.Widget(1006)->geometry().top();
        QCOMPARE((QList<int>{f.Widget(1006)->x(), f.Widget(1073)->x(), f.Widget(1007)->x()}),
                 (QList<int>{15, 55, 95}));
        QCOMPARE(f.Widget(1014)->geometry().topLeft(), QPoint(165, top));
        QCOMPARE(f.Widget(1004)->geometry().topLeft(), QPoint(292, top));
    }

    void hostileFile() {
        // A stranger's file: a hundred thousand list columns, and media names that lead out
        // of the training file's folder (then the program folder), to links or to FIFOs.
        testfiles::TempDir outside, program;
        for (const char* name : {"draussen.png", "draussen.wav"})
            testfiles::WriteBytes(outside.Path(name), "x");
        for (const char* name : {"prog.png", "prog.wav", "bild.png"})
            testfiles::WriteBytes(program.Path(name), "x");
        const std::string out = outside.Dir().substr(1) + "/";
        std::string climb = "..\\..\\..\\..\\..\\..\\..\\..\\" + out;
        std::replace(climb.begin(), climb.end(), '/', '\\');
        const std::pair<std::string, std::string> media[] = { // picture, sound
            {"bild.png", "ton.wav"}, {"prog.png", "prog.wav"},
            {"../../../../../../../../" + out + "draussen.png", climb + "draussen.wav"},
            {outside.Path("draussen.png"), "\\" + climb.substr(24) + "draussen.wav"},
            {"link.png", "link.wav"}, {"fifo.png", "fifo.wav"}};
        cTrainingData data = SampleData();
        data.m_aQuestionnaires[QVocabulary].m_aTaskIndex.clear();
        for (const auto& [picture, sound] : media) {
            cTask t = TextTask(std::to_string(data.m_aTasks.size()), "Frage", "x");
            t.m_strPicture = picture; t.m_strSound = sound;
            data.m_aQuestionnaires[QVocabulary].m_aTaskIndex.push_back(std::uint32_t(data.m_aTasks.size()));
            data.m_aTasks.push_back(t);
        }
        for (int i = 0; i < 100000; ++i)
            data.m_aColumnTitle.push_back("X"), data.m_aColumnWidth.push_back(10), data.m_aColumnKind.push_back(2);
        ViewFixture f(data);
        testfiles::WriteBytes(f.dir.Path("bild.png"), "x");
        for (const char* ext : {"png", "wav"}) {
            QVERIFY(symlink(outside.Path(std::string("draussen.") + ext).c_str(),
                            f.dir.Path(std::string("link.") + ext).c_str()) == 0);
            QVERIFY(mkfifo(f.dir.Path(std::string("fifo.") + ext).c_str(), 0600) == 0);
        }
        for (int row = 0; row < int(std::size(media)); ++row) {
            if (row > 0)
                f.Open();
            f.view->SetProgramDir(QString::fromStdString(program.Dir()));
            QCOMPARE(f.TaskList()->model()->columnCount(), 7);
            f.Ask(QVocabulary, row);
            f.Click(1007);
            if (row == 0)
                f.Submit("x");
            f.Close();
        }
        QCOMPARE(f.pictures, (std::vector<QString>{QString::fromStdString(f.dir.Path("bild.png")),
                                                    QString::fromStdString(program.Path("prog.png"))}));
        std::vector<std::string> opened;
        for (const std::string& entry : f.player.log)
            if (entry.starts_with("open "))
                opened.push_back(entry.substr(5));
        QCOMPARE(opened, (std::vector<std::string>{f.dir.Path("ton.wav"), program.Path("prog.wav")}));
        QCOMPARE(f.Reread().m_aColumnTitle.size(), std::size_t(100004));
    }

    void sorting() {
        cTrainingData data = SampleData();
        data.m_aQuestionnaires[QVocabulary].m_aTaskIndex = {TaskStreet, TaskCapital, TaskTree, TaskHouse};
        ViewFixture f(data);
        f.OpenQuestionnaire(QVocabulary);
        QTableView* list = f.TaskList();
        QHeaderView* header = list->horizontalHeader();
        const auto numbers = [list] { return FirstColumn(list); };
        const auto clickColumn = [header](int column) {
            const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        };
        QCOMPARE(numbers(), (QStringList{"12", "", "2", "1"}));
        QVERIFY(!header->isSortIndicatorShown());
        clickColumn(0);
        QCOMPARE(numbers(), (QStringList{"1", "2", "12", ""}));
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        clickColumn(0);
        QCOMPARE(numbers(), (QStringList{"12", "2", "1", ""}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // Sorting by the question text: "Baum", "Haus", "Straße", then the choice task.
        clickColumn(2);
        QCOMPARE(numbers(), (QStringList{"2", "1", "12", ""}));
        // A task asked and left again: the rows are still sorted.
        f.StartAtRow(0);
        QTest::keyClick(f.Answer(), Qt::Key_Escape);
        QCOMPARE(f.Mode(), 3);
        QVERIFY(header->isSortIndicatorShown());
        // Another questionnaire comes in its own order: no arrow, although the column is
        // still remembered for the next click, which sorts ascending.
        Press(Qt::Key_Escape);
        f.OpenQuestionnaire(QMixed);
        QCOMPARE(f.Query().SortColumn(), 2);
        QVERIFY(!header->isSortIndicatorShown());
        clickColumn(2);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    }

    void listStylesAndCommands() {
        ViewFixture f;
        int signalled = 0;
        QObject::connect(f.view.get(), &CVendrillView::CommandStateChanged, [&signalled] { ++signalled; });
        QVERIFY(!f.view->IsCommandEnabled(32785)); // nothing to go back to from the overview
        QVERIFY(!f.view->IsCommandEnabled(32796));
        QVERIFY(!f.view->IsCommandEnabled(32788)); // no task editor installed
        QVERIFY(!f.view->HandlesCommand(57603) && !f.view->ExecuteCommand(57603));
        f.OpenQuestionnaire(QVocabulary);
        QVERIFY(signalled > 0);
        for (int id : {32785, 32784, 32789})
            QVERIFY(f.view->IsCommandEnabled(id));
        // Installing an editor enables "Bearbeiten"; editing itself is walked with the editor.
        f.view->SetTaskEditor([](cTask&, QWidget*) { return false; });
        QVERIFY(f.view->IsCommandEnabled(32788));

        auto* icons = f.view->findChild<QListView*>(QStringLiteral("ctl1002Icons"));
        QVERIFY(icons && f.view->IsDetailView());
        f.TaskList()->setColumnWidth(0, 250);
        QTest::keyClick(f.TaskList(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(!f.view->IsDetailView());
        QVERIFY(icons->isVisible() && !f.TaskList()->isVisible());
        QCOMPARE(f.TaskList()->columnWidth(0), 100);
        // Small icons show the first column's text with the row's statistics image.
        QCOMPARE(icons->model()->index(1, 0).data().toString(), QStringLiteral("2"));
        QCOMPARE(Decoration(icons->model()->index(1, 0), {32, 18}), ViewImages::TaskImage(10).toImage());
        // Double click in the small-icon style asks the row.
        ViewFixture::DoubleClickRow(icons, 1);
        QCOMPARE(f.At(), (Where{4, 1}));
        QTest::keyClick(f.Answer(), Qt::Key_Escape);
        QVERIFY(icons->isVisible());
        // The style commands: details, small icons, details again.
        for (const auto& [id, detail] : {std::pair{32779, true}, {32780, false}, {32781, true}}) {
            QVERIFY(f.view->ExecuteCommand(id));
            QCOMPARE(f.view->IsDetailView(), detail);
            QCOMPARE(f.TaskList()->isVisible(), detail);
        }
    }

    void resetStatistics() {
        // The command asks (message 401); only "Ja" clears the counters, on screen and disk.
        for (const int answer : {int(ResultNo), int(ResultYes)}) {
            const bool cleared = answer == ResultYes;
            ViewFixture f;
            f.OpenQuestionnaire(QVocabulary);
            f.boxes.answers.push_back(answer);
            QVERIFY(f.view->IsCommandEnabled(32775));
            QVERIFY(f.view->ExecuteCommand(32775));
            QCOMPARE(f.boxes.boxes.size(), std::size_t(1));
            QCOMPARE(f.boxes.boxes[0].currentId, 401);
            QCOMPARE(f.Row(1), (cleared ? StatsCell{" 0 /  0", 0} : StatsCell{" 2 /  1", 10}));
            QCOMPARE(f.Closed().m_aTasks[TaskTree].m_nStats[1], cleared ? 0u : 2u);
        }
    }

    void examCountdownAndEvaluation() {
        ViewFixture f;
        cLocalTime now{3, 14, 10, 0, 0};
        f.Query().SetClock([&now] { return now; }); f.Query().SetRandom([] { return 5; });
        QVERIFY(f.view->IsCommandEnabled(32793) && !f.view->IsCommandEnabled(32794));
        QVERIFY(f.view->ExecuteCommand(32793));
        QCOMPARE(f.boxes.boxes.size(), std::size_t(1));
        QCOMPARE(f.boxes.boxes[0].currentId, 301);
        QCOMPARE(f.Mode(), 3);
        QCOMPARE(f.Query().CurrentQuestionnaire(), int(QExam));
        QVERIFY(f.view->IsCommandEnabled(32794));
        auto* bar = f.Ctl<cPercentBar>(1063);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->geometry(), QRect(5, f.view->height() - 30, f.view->width() - 10, 25));
        // The task list makes room for the bar.
        QCOMPARE(f.TaskList()->geometry().bottom() + 1, f.view->height() - 40);
        // Unanswered tasks show image 68 and no text.
        QCOMPARE(f.Row(0), (StatsCell{QString(), 68}));

        now.minute = 7; f.view->OnTimer(); // 7 minutes of 10: yellow, 3:00 left
        QCOMPARE(bar->WindowText(), QStringLiteral("3:00"));
        QCOMPARE(bar->BarColour(), QColor(255, 255, 0));
        QCOMPARE(bar->TextColour(), QColor(0, 0, 0));
        QCOMPARE(bar->Pos(), 180); QCOMPARE(bar->Upper(), 600);
        // While a box is open (here "Prüfungssimulation beenden?", answered "Nein") the bar moves on.
        struct TickingBox : cMessagePresenter {
            std::function<void()> during;
            int Present(const std::string&, const std::string&, std::uint32_t) override { during(); return ResultNo; }
        } box;
        QString shown;
        box.during = [&] { now.second = 30; f.view->OnTimer(); shown = bar->WindowText(); };
        SetMessagePresenter(&box);
        QVERIFY(f.view->ExecuteCommand(32794));
        SetMessagePresenter(&f.boxes);
        QCOMPARE(shown, QStringLiteral("2:30"));
        now.second = 0;

        f.StartAtRow(0);
        QCOMPARE(f.Mode(), 4);
        // A questionnaire with a time limit names the points in the heading.
        QCOMPARE(f.Heading(),
                 QStringLiteral("Aufgabe Nr.: 1                         Vokabeln     (1 Punkt)"));
        QVERIFY(!f.Widget(1014)->isVisible() && !f.Widget(1013)->isVisible()); // no solution, no editing
        f.Submit("house");
        QCOMPARE(f.At(), (Where{4, 1})); // stored, not checked
        QCOMPARE(f.RowImage(0), 67);

        // The tick leaves the field as typed: no "?" for a character outside Windows-1252,
        // the caret where it was.
        f.Type(QStringLiteral("Grün ł"));
        f.Answer()->moveCursor(QTextCursor::Start);
        now.minute = 9; f.view->OnTimer();
        QCOMPARE(f.Answer()->toPlainText(), QStringLiteral("Grün ł"));
        QCOMPARE(f.Answer()->textCursor().position(), 0);
        QCOMPARE(bar->WindowText(), QStringLiteral("1:00"));
        QCOMPARE(bar->BarColour(), QColor(255, 0, 0));

        now.minute = 10; f.view->OnTimer(); // time is up
        QCOMPARE(f.boxes.boxes.back().currentId, 302);
        QVERIFY(f.Query().EvaluationActive());
        QVERIFY(!bar->isVisible());
        QVERIFY(f.view->IsCommandEnabled(32795));
        QTest::keyClick(f.Answer(), Qt::Key_Escape);
        QCOMPARE(f.Mode(), 3);
        // The overview is closed during the evaluation.
        QTest::keyClick(f.TaskList(), Qt::Key_Escape);
        QCOMPARE(f.boxes.boxes.back().currentId, 305);
        QCOMPARE(f.Mode(), 3);

        // Rate the first task right.
        f.StartAtRow(0);
        QCOMPARE(f.Mode(), 6);
        QVERIFY(f.Answer()->toPlainText() == QStringLiteral("house") && f.Answer()->isReadOnly());
        QTest::mouseClick(f.Widget(1071), Qt::LeftButton); f.Click(1003);
        QCOMPARE(f.Mode(), 6);
        QCOMPARE(f.Row(0), (StatsCell{"Richtig", 1}));

        // End with one task unrated, counted wrong: 1 of 3 points, re-examination from 2.
        f.boxes.answers.push_back(ResultYes);
        QVERIFY(f.view->ExecuteCommand(32795));
        QCOMPARE(f.Mode(), 2);
        const RecordedBox& verdict = f.boxes.boxes.back();
        // The whole text is the core's (checked there); its numbers come from the view's exam.
        QCOMPARE(ToQString(verdict.caption), QStringLiteral("Prüfung nicht bestanden!"));
        QVERIFY(ToQString(verdict.text).contains(QStringLiteral("Erreicht: 1 Punkte\r\nBenötigt: 3")));
        QCOMPARE(verdict.style, 0u);
        QVERIFY(!f.view->IsCommandEnabled(32795) && f.view->IsCommandEnabled(32793));
        QCOMPARE(f.Closed().m_aTasks[TaskHouse].m_nStats[1], 0u); // the exam never counts
    }
};

QTEST_MAIN(tst_VendrillView)
#include "tst_vendrillview.moc"
