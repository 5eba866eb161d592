// "Dateieinstellungen" and "Erweiterte Dateieigenschaften": texts, controls and their
// wiring, and command 32777 in the main window down to the file written on close.

#include "data/ui/FileSettingsDlg.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "common/WindowTest.h"
#include "base/Cp1252.h"
#include "data/ui/FilePropsDlg.h"
#include "data/ui/VendrillDoc.h"
#include "practice/ui/ViewTestSupport.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QtTest>
#include <QtWidgets>

using windowtest::Ctl;
using windowtest::U;

namespace {

// Edits 1019, 1028, 1030 and check boxes 1020, 1021, 1022, 1029, as shown.
QStringList Shown(QWidget& dlg) {
    QStringList list;
    for (int id : {1019, 1028, 1030}) list << Ctl<QLineEdit>(dlg, id)->text();
    for (int id : {1020, 1021, 1022, 1029}) list << (Ctl<QCheckBox>(dlg, id)->isChecked() ? "x" : "-");
    return list;
}

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll(); QTest::keyClick(edit, Qt::Key_Delete); QTest::keyClicks(edit, text);
}

void Click(QWidget& dlg, int id) {
    QAbstractButton* button = Ctl<QAbstractButton>(dlg, id);
    // A check box reacts on its box and text, not on the free room a layout gives it.
    if (qobject_cast<QCheckBox*>(button))
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
    else
        QTest::mouseClick(button, Qt::LeftButton);
}

// The label whose buddy is the edit numbered id.
QLabel* CaptionOf(QWidget& dlg, int id) {
    for (QLabel* label : dlg.findChildren<QLabel*>())
        if (label->buddy() && label->buddy() == Ctl<QWidget>(dlg, id)) return label;
    return nullptr;
}

cTrainingData Values(int maxWords, int minRight, int minPercent, bool swap, bool extra, bool missing,
                     bool random) {
    cTrainingData d;
    d.m_nMaxWords = std::uint8_t(maxWords); d.m_nMinRight = std::uint8_t(minRight);
    d.m_nMinPercent = std::uint8_t(minPercent);
    d.m_bAllowSwap = swap; d.m_bAllowExtra = extra; d.m_bAllowMissing = missing; d.m_bRandom = random;
    return d;
}

} // namespace

Q_DECLARE_METATYPE(cTrainingData)

class tst_FileSettingsDlg : public QObject {
    Q_OBJECT
    QTemporaryDir m_programDir;

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); SetProgramDirPath(m_programDir.path()); }

    void dialogsHaveTheirTexts() {
        CFileSettingsDlg dlg;
        dlg.SetTrainingData(nullptr); dlg.show();
        QCOMPARE(dlg.objectName(), QStringLiteral("dlg137"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Dateieinstellungen"));
        QStringList labels, groups;
        for (QLabel* label : dlg.findChildren<QLabel*>()) labels << label->text();
        for (const char* text : {"Nur Aufgaben/Vokabeln abfragen,", "Wörtern besteht",
                                 "mal richtig beantwortet wurden", "% richtig beantwortet wurden"})
            QVERIFY2(labels.contains(U(text)), text);
        for (QGroupBox* g : dlg.findChildren<QGroupBox*>()) groups << g->title();
        QCOMPARE(groups, QStringList({"Aufgaben- bzw. Vokabelauswahl", "Fehlertoleranz bei Textantworten"}));
        const QList<QPair<int, const char*>> buttons = {
            {1029, "Zufällige Abfrage"}, {1020, "2 vertauschte Buchstaben zulassen"},
            {1021, "Zusätzlichen Buchstaben zulassen"}, {1022, "Fehlenden Buchstaben zulassen"},
            {1034, "Erweitert ..."}, {32775, "Statistik zurücksetzen"},
            {1024, "Eingaben zurücksetzen"}, {2, "Abbrechen"}, {1, "OK"}};
        for (const auto& [id, text] : buttons) {
            QAbstractButton* b = Ctl<QAbstractButton>(dlg, id);
            QVERIFY2(b && b->isVisible(), text); QCOMPARE(b->text(), U(text));
        }
        // Each number edit sits between its two texts.
        const QList<QPair<int, const char*>> lines = {{1019, "bei denen die Antwort aus maximal "},
                                                      {1028, "die noch nicht mindestens"},
                                                      {1030, "die noch nicht zu mindestens"}};
        for (const auto& [id, text] : lines) {
            QLabel* before = CaptionOf(dlg, id);
            QVERIFY2(before && before->text() == U(text), text);
            QVERIFY(before->geometry().right() < Ctl<QWidget>(dlg, id)->geometry().left());
            QCOMPARE(before->geometry().center().y(), Ctl<QWidget>(dlg, id)->geometry().center().y());
        }
        // Without a file and a view the two buttons that need them cannot be pressed.
        QVERIFY(!Ctl<QPushButton>(dlg, 1034)->isEnabled());
        QVERIFY(!Ctl<QPushButton>(dlg, 32775)->isEnabled());
        QVERIFY(Ctl<QPushButton>(dlg, 1)->isDefault());

        CFilePropsDlg props; props.show();
        QCOMPARE(QStringList({props.objectName(), props.windowTitle()}),
                 QStringList({"dlg143", "Erweiterte Dateieigenschaften"}));
        const QList<QPair<int, const char*>> propsButtons = {
            {1037, "Extrafragebogen mit allen Fragen anzeigen"}, {1, "OK"}, {2, "Abbrechen"}};
        for (const auto& [id, text] : propsButtons)
            QCOMPARE(Ctl<QAbstractButton>(props, id)->text(), U(text));
        QComboBox* crypt = Ctl<QComboBox>(props, 1039);
        QCOMPARE(QStringList({crypt->itemText(0), crypt->itemText(1)}),
                 QStringList({U("Keine Verschlüsselung"), U("Standardverschlüsselung")}));
        QCOMPARE(crypt->count(), 2); QCOMPARE(crypt->currentIndex(), -1);
        const QList<QPair<int, QString>> captions = {
            {1038, QStringLiteral("Fragetemplate")},
            {1035, U("Antworttemplate bei richtiger Antwort (auch bei \"Lösung anzeigen\")")},
            {1036, QStringLiteral("Antworttemplate bei falscher Antwort")}};
        for (const auto& [id, text] : captions) {
            QLabel* caption = CaptionOf(props, id);
            QVERIFY(caption); QCOMPARE(caption->text(), text);
            QVERIFY(caption->geometry().bottom() < Ctl<QWidget>(props, id)->geometry().top());
        }
        QCOMPARE(props.findChild<QLabel*>(QStringLiteral("staticPlaceholders"))->text(),
                 QStringLiteral("Platzhalter:                              {frage}   \tFrage      "
                                "                {antwort}\tMusterantwort"));
    }

    void loadShowsTheFile_data() {
        QTest::addColumn<cTrainingData>("data"); QTest::addColumn<QStringList>("shown");
        QTest::newRow("new document") << cTrainingData() << QStringList{"5", "0", "0", "-", "-", "-", "-"};
        // Alternating boxes: a box wired to its neighbour's value shows in the wrong place.
        QTest::newRow("swap, missing") << Values(5, 0, 0, true, false, true, false)
                                       << QStringList{"5", "0", "0", "x", "-", "x", "-"};
        QTest::newRow("extra, random") << Values(5, 0, 0, false, true, false, true)
                                       << QStringList{"5", "0", "0", "-", "x", "-", "x"};
        QTest::newRow("numbers") << Values(0, 255, 80, false, false, false, false)
                                 << QStringList{"0", "255", "80", "-", "-", "-", "-"};
    }
    void loadShowsTheFile() {
        QFETCH(cTrainingData, data); QFETCH(QStringList, shown);
        CFileSettingsDlg dlg; dlg.Load(data); dlg.show();
        QCOMPARE(Shown(dlg), shown);
        // Confirming unchanged stores exactly what was shown.
        Click(dlg, 1);
        cTrainingData back = Values(1, 2, 3, !data.m_bAllowSwap, !data.m_bAllowExtra, !data.m_bAllowMissing,
                                    !data.m_bRandom);
        dlg.Store(back);
        QCOMPARE(FileSettingsTexts(back), FileSettingsTexts(data));
    }

    void storesWhatIsShown_data() {
        QTest::addColumn<int>("id"); QTest::addColumn<QString>("typed"); QTest::addColumn<int>("stored");
        // The fields take only what a byte stores: a key that would go beyond 255 or is no
        // digit is refused, so the field shows what is stored.
        QTest::newRow("1019 300") << 1019 << "300" << 30; QTest::newRow("1028 300") << 1028 << "300" << 30;
        QTest::newRow("1030 256") << 1030 << "256" << 25; QTest::newRow("negative") << 1019 << "-1" << 1;
        QTest::newRow("junk") << 1019 << "x" << 0; QTest::newRow("empty") << 1019 << "" << 0;
        QTest::newRow("255") << 1019 << "255" << 255; QTest::newRow("text") << 1019 << "12 Mal" << 12;
    }
    void storesWhatIsShown() {
        QFETCH(int, id); QFETCH(QString, typed); QFETCH(int, stored);
        cTrainingData data = Values(5, 1, 2, false, false, false, false);
        CFileSettingsDlg dlg; dlg.Load(data); dlg.show();
        Type(Ctl<QLineEdit>(dlg, id), typed);
        QCOMPARE(Ctl<QLineEdit>(dlg, id)->text().toInt(), stored);
        Click(dlg, 1);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        dlg.Store(data);
        // The typed value lands in its own field; the other two are untouched.
        QCOMPARE(int(data.m_nMaxWords), id == 1019 ? stored : 5);
        QCOMPARE(int(data.m_nMinRight), id == 1028 ? stored : 1);
        QCOMPARE(int(data.m_nMinPercent), id == 1030 ? stored : 2);
    }

    void resetAndCancelKeepOpeningValues_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Abbrechen") << false; QTest::newRow("Esc") << true;
    }
    void resetAndCancelKeepOpeningValues() {
        QFETCH(bool, escape);
        const cTrainingData data = Values(7, 3, 50, true, false, true, false);
        CFileSettingsDlg dlg; dlg.Load(data); dlg.show();
        const QStringList opened = Shown(dlg);
        Type(Ctl<QLineEdit>(dlg, 1019), "9"); Type(Ctl<QLineEdit>(dlg, 1028), "300");
        Type(Ctl<QLineEdit>(dlg, 1030), QString());
        for (int id : {1020, 1021, 1022, 1029}) Click(dlg, id);
        QCOMPARE(Shown(dlg), QStringList({"9", "30", "", "-", "x", "-", "x"}));
        // "Eingaben zurücksetzen": the values the dialog opened with, not the defaults; the
        // dialog stays open.
        Click(dlg, 1024);
        QCOMPARE(Shown(dlg), opened); QVERIFY(dlg.isVisible());

        Type(Ctl<QLineEdit>(dlg, 1028), "300"); Click(dlg, 1029);
        if (escape) QTest::keyClick(&dlg, Qt::Key_Escape);
        else Click(dlg, 2);
        QCOMPARE(dlg.result(), int(QDialog::Rejected)); QVERIFY(!dlg.isVisible());
        // The controls show the members again, and the members are the opening values.
        QCOMPARE(Shown(dlg), opened); QCOMPARE(dlg.Members(), FileSettingsTexts(data));
        cTrainingData back = Values(1, 1, 1, false, true, false, true);
        dlg.Store(back);
        QCOMPARE(FileSettingsTexts(back), FileSettingsTexts(data));
    }

    void propsRoundTrip_data() {
        QTest::addColumn<cTrainingData>("data"); QTest::addColumn<bool>("showAll");
        QTest::addColumn<QStringList>("templates"); /* 1038, 1035, 1036 */ QTest::addColumn<int>("crypt");
        QTest::newRow("new document") << cTrainingData() << false << QStringList{"", "", ""} << 0;
        cTrainingData full, odd;
        full.m_bShowAll = true; full.m_nCrypt = 1;
        full.m_strQuestionTemplate = Cp1252FromUtf8("Übersetzen: {frage}");
        full.m_strRightTemplate = "Richtig: {antwort}";
        full.m_strWrongTemplate = "Falsch, richtig ist {antwort}";
        QTest::newRow("everything set") << full << true << QStringList{U("Übersetzen: {frage}"),
                                           "Richtig: {antwort}", "Falsch, richtig ist {antwort}"} << 1;
        odd.m_strQuestionTemplate = "{frage}\r\n{antwort}";
        odd.m_strRightTemplate = std::string("\x81\x02", 2);
        QTest::newRow("odd bytes")
            << odd << false << QStringList{"{frage}\r\n{antwort}", QString(QChar(0x81)) + QChar(2), ""} << 0;
    }
    void propsRoundTrip() {
        QFETCH(cTrainingData, data); QFETCH(bool, showAll);
        QFETCH(QStringList, templates); QFETCH(int, crypt);
        CFilePropsDlg dlg; dlg.Load(data); dlg.show();
        QCOMPARE(Ctl<QCheckBox>(dlg, 1037)->isChecked(), showAll);
        QCOMPARE(Ctl<QComboBox>(dlg, 1039)->currentIndex(), crypt);
        QCOMPARE(QStringList({Ctl<QLineEdit>(dlg, 1038)->text(), Ctl<QLineEdit>(dlg, 1035)->text(),
                              Ctl<QLineEdit>(dlg, 1036)->text()}), templates);
        Click(dlg, 1);
        cTrainingData back; back.m_nCrypt = 9; back.m_bShowAll = !showAll;
        dlg.Store(back);
        // Untouched, every byte comes back.
        QCOMPARE(FilePropsValues(back), FilePropsValues(data));

        // Typed: the new texts, the chosen entry and the check box.
        CFilePropsDlg typed; typed.Load(data); typed.show();
        Type(Ctl<QLineEdit>(typed, 1038), "F: {frage}"); Type(Ctl<QLineEdit>(typed, 1035), "R: {antwort}");
        Type(Ctl<QLineEdit>(typed, 1036), "W: {antwort}");
        Ctl<QComboBox>(typed, 1039)->setCurrentIndex(1 - crypt);
        Click(typed, 1037); Click(typed, 1);
        typed.Store(back);
        QCOMPARE(FilePropsValues(back),
                 (cFilePropsValues{!showAll, "F: {frage}", "R: {antwort}", "W: {antwort}", 1 - crypt}));
    }

    // Command 32777 on the open file, three times: everything cancelled; the settings
    // cancelled while the extended properties are confirmed; "Statistik zurücksetzen" run
    // while the dialog stays open and the settings confirmed. Down to the file.
    void commandEditsActiveFile() {
        testfiles::TempDir work;
        const std::string path = work.Path("datei.vdr");
        cTrainingData sample = viewtest::SampleData();
        QCOMPARE(sample.WriteTrainingFile(path), 0);
        RecordingPresenter boxes;
        auto frame = windowtest::ShowFrame(QString::fromStdString(work.Dir()));
        QAction* command = frame->Action(cmd::kFileSettings);
        QVERIFY(!command->isEnabled()); // no file yet
        CChildFrame* child = frame->OpenDocumentFile(QString::fromStdString(path));
        QVERIFY(child); QVERIFY(command->isEnabled());
        CVendrillDoc& doc = child->Document(); doc.SetModifiedFlag(false);
        const cTrainingData before = doc.Data();
        const auto overviewRows = [child] {
            return child->View()->findChild<QAbstractItemView*>("ctl1009")->model()->rowCount();
        };
        const int rowsBefore = overviewRows();
        const QString settings = QStringLiteral("dlg137"), props = QStringLiteral("dlg143");

        const auto typeSettings = [](QWidget& dlg) {
            Ctl<QLineEdit>(dlg, 1019)->setText("1"); Ctl<QCheckBox>(dlg, 1029)->setChecked(true);
        };
        const auto discarded = [](QWidget& dlg) {
            Ctl<QLineEdit>(dlg, 1038)->setText("Verworfen"); Ctl<QCheckBox>(dlg, 1037)->setChecked(true);
        };
        QVERIFY(ModalScript::Run({ModalScript::On(settings, typeSettings, 1034),
                                  ModalScript::On(props, discarded, 2), ModalScript::On(settings, {}, 2)},
                                 [&] { command->trigger(); }));
        QCOMPARE(FileSettingsTexts(doc.Data()), FileSettingsTexts(before));
        QCOMPARE(FilePropsValues(doc.Data()), FilePropsValues(before));
        QVERIFY(!doc.IsModified()); QVERIFY(boxes.boxes.empty());

        const auto typeProps = [](QWidget& dlg) {
            Ctl<QLineEdit>(dlg, 1038)->setText("Neu: {frage}");
            Ctl<QCheckBox>(dlg, 1037)->setChecked(false); Ctl<QComboBox>(dlg, 1039)->setCurrentIndex(1);
        };
        // The last step waits until the confirmed properties are in the document while
        // the settings dialog is still open; if they never arrive, the script times out.
        // (Checking once would race the properties dialog's return on a busy machine.)
        const ModalScript::Step cancelOnceWritten = [&](QWidget* modal) {
            if (modal->objectName() != settings || doc.Data().m_strQuestionTemplate != "Neu: {frage}")
                return false;
            ModalScript::Click(Ctl<QPushButton>(*modal, 2));
            return true;
        };
        QVERIFY(ModalScript::Run({ModalScript::On(settings, typeSettings, 1034),
                                  ModalScript::On(props, typeProps, 1), cancelOnceWritten},
                                 [&] { command->trigger(); }));
        // The cancelled settings stay as they were.
        QCOMPARE(FileSettingsTexts(doc.Data()), FileSettingsTexts(before));
        QVERIFY(!doc.Data().m_bShowAll); QCOMPARE(int(doc.Data().m_nCrypt), 1);
        QTRY_COMPARE(overviewRows(), rowsBefore - 1); // "Alle Aufgaben" left the overview

        boxes.answers = {ResultYes};
        QStringList shown;
        bool stillOpenAfterReset = false; std::uint32_t statsAfterReset = 99;
        const auto edit = [&](QWidget& dlg) {
            shown = Shown(dlg);
            Ctl<QLineEdit>(dlg, 1028)->setText("300"); Ctl<QCheckBox>(dlg, 1021)->setChecked(false);
        };
        // The statistics question was answered; the dialog is still up.
        const ModalScript::Step afterReset = [&](QWidget* dlg) {
            if (dlg->objectName() != settings || boxes.boxes.empty()) return false;
            stillOpenAfterReset = dlg->isVisible();
            const auto& stats = doc.Data().m_aTasks[viewtest::TaskTree].m_nStats;
            statsAfterReset = stats[0] + stats[1];
            ModalScript::Click(Ctl<QPushButton>(*dlg, 1));
            return true;
        };
        QVERIFY(ModalScript::Run({ModalScript::On(settings, edit, 32775), afterReset},
                                 [&] { command->trigger(); }));
        // The sample tolerates every typing error and counts any number of words.
        QCOMPARE(shown, QStringList({"0", "0", "0", "x", "x", "x", "-"}));
        QCOMPARE(boxes.boxes.size(), std::size_t(1)); QCOMPARE(boxes.boxes[0].currentId, 401);
        QVERIFY(stillOpenAfterReset); QCOMPARE(statsAfterReset, std::uint32_t(0));
        QVERIFY(doc.IsModified());
        const cFileSettingsTexts confirmed{"0", "44", "0", 1, 0, 1, 0};
        QCOMPARE(FileSettingsTexts(doc.Data()), confirmed);

        child->close();
        cTrainingData read;
        QCOMPARE(read.ReadTrainingFile(path), 0); QCOMPARE(FileSettingsTexts(read), confirmed);
        QCOMPARE(read.m_aTasks[viewtest::TaskTree].m_nStats[1], std::uint32_t(0));
        // The extended properties confirmed in the second run.
        QCOMPARE(FilePropsValues(read), (cFilePropsValues{0, "Neu: {frage}", before.m_strRightTemplate,
                                                          before.m_strWrongTemplate, 1}));
    }
};

QTEST_MAIN(tst_FileSettingsDlg)
#include "tst_filesettingsdlg.moc"
