// "Dateieinstellungen" and "Erweiterte Dateieigenschaften": every text and control, what
// a file shows, the low-byte rule of the number edits, "Eingaben zurücksetzen", the
// cancel rules of both dialogs, and command 32777 in the main window with "Statistik
// zurücksetzen" run while the dialog stays open, down to the file written on close.

#include "data/ui/FileSettingsDlg.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "common/WindowTest.h"
#include "data/Cp1252.h"
#include "data/ui/FilePropsDlg.h"
#include "data/ui/VendrillDoc.h"
#include "practice/ui/ViewTestSupport.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using windowtest::Ctl;
using windowtest::U;

namespace {

// Edits 1019, 1028, 1030 and check boxes 1020, 1021, 1022, 1029, as shown.
QStringList Shown(QWidget& dlg) {
    QStringList list;
    for (int id : {1019, 1028, 1030})
        list << Ctl<QLineEdit>(dlg, id)->text();
    for (int id : {1020, 1021, 1022, 1029})
        list << (Ctl<QCheckBox>(dlg, id)->isChecked() ? QStringLiteral("x") : QStringLiteral("-"));
    return list;
}

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void Click(QWidget& dlg, int id) {
    QAbstractButton* button = Ctl<QAbstractButton>(dlg, id);
    // A check box reacts on its box and text, not on the free room a layout gives it.
    if (qobject_cast<QCheckBox*>(button))
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                          QPoint(8, button->height() / 2));
    else
        QTest::mouseClick(button, Qt::LeftButton);
}

// The label whose buddy is the edit numbered id.
QLabel* CaptionOf(QWidget& dlg, int id) {
    for (QLabel* label : dlg.findChildren<QLabel*>())
        if (label->buddy() && label->buddy() == Ctl<QWidget>(dlg, id))
            return label;
    return nullptr;
}

cTrainingData Values(int maxWords, int minRight, int minPercent, bool swap, bool extra,
                     bool missing, bool random) {
    cTrainingData d;
    d.m_nMaxWords = static_cast<std::uint8_t>(maxWords);
    d.m_nMinRight = static_cast<std::uint8_t>(minRight);
    d.m_nMinPercent = static_cast<std::uint8_t>(minPercent);
    d.m_bAllowSwap = swap;
    d.m_bAllowExtra = extra;
    d.m_bAllowMissing = missing;
    d.m_bRandom = random;
    return d;
}

} // namespace

Q_DECLARE_METATYPE(cTrainingData)

class tst_FileSettingsDlg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void dialogsHaveTheirTexts();
    void loadShowsTheFile_data();
    void loadShowsTheFile();
    void storesWhatIsShown_data();
    void storesWhatIsShown();
    void resetAndCancelKeepOpeningValues_data();
    void resetAndCancelKeepOpeningValues();
    void propsRoundTrip_data();
    void propsRoundTrip();
    void unknownScramblingStoresNoSelection();
    void extendedWritesAtOnceEvenWhenSettingsCancelled();
    void commandEditsActiveFileAndResetsStatistics();

private:
    QTemporaryDir m_programDir;
};

void tst_FileSettingsDlg::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    SetProgramDirPath(m_programDir.path());
}

void tst_FileSettingsDlg::dialogsHaveTheirTexts() {
    CFileSettingsDlg dlg;
    dlg.SetTrainingData(nullptr);
    dlg.show();
    QCOMPARE(dlg.objectName(), QStringLiteral("dlg137"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Dateieinstellungen"));
    QStringList labels;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        labels << label->text();
    for (const char* text : {"Nur Aufgaben/Vokabeln abfragen,", "Wörtern besteht",
                             "mal richtig beantwortet wurden", "% richtig beantwortet wurden"})
        QVERIFY2(labels.contains(U(text)), text);
    QStringList groups;
    for (QGroupBox* g : dlg.findChildren<QGroupBox*>())
        groups << g->title();
    QCOMPARE(groups, QStringList({"Aufgaben- bzw. Vokabelauswahl",
                                  "Fehlertoleranz bei Textantworten"}));
    const QList<QPair<int, const char*>> buttons = {
        {1029, "Zufällige Abfrage"}, {1020, "2 vertauschte Buchstaben zulassen"},
        {1021, "Zusätzlichen Buchstaben zulassen"}, {1022, "Fehlenden Buchstaben zulassen"},
        {1034, "Erweitert ..."}, {32775, "Statistik zurücksetzen"},
        {1024, "Eingaben zurücksetzen"}, {2, "Abbrechen"}, {1, "OK"}};
    for (const auto& [id, text] : buttons) {
        QAbstractButton* b = Ctl<QAbstractButton>(dlg, id);
        QVERIFY2(b && b->isVisible(), text);
        QCOMPARE(b->text(), U(text));
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

    CFilePropsDlg props;
    props.show();
    QCOMPARE(props.objectName(), QStringLiteral("dlg143"));
    QCOMPARE(props.windowTitle(), QStringLiteral("Erweiterte Dateieigenschaften"));
    QCOMPARE(Ctl<QCheckBox>(props, 1037)->text(),
             QStringLiteral("Extrafragebogen mit allen Fragen anzeigen"));
    QComboBox* crypt = Ctl<QComboBox>(props, 1039);
    QCOMPARE(crypt->count(), 2);
    QCOMPARE(crypt->itemText(0), U("Keine Verschlüsselung"));
    QCOMPARE(crypt->itemText(1), U("Standardverschlüsselung"));
    QCOMPARE(crypt->currentIndex(), -1);
    const QList<QPair<int, QString>> captions = {
        {1038, QStringLiteral("Fragetemplate")},
        {1035, U("Antworttemplate bei richtiger Antwort (auch bei \"Lösung anzeigen\")")},
        {1036, QStringLiteral("Antworttemplate bei falscher Antwort")}};
    for (const auto& [id, text] : captions) {
        QLabel* caption = CaptionOf(props, id);
        QVERIFY(caption);
        QCOMPARE(caption->text(), text);
        QVERIFY(caption->geometry().bottom() < Ctl<QWidget>(props, id)->geometry().top());
    }
    QCOMPARE(props.findChild<QLabel*>(QStringLiteral("staticPlaceholders"))->text(),
             QStringLiteral("Platzhalter:                              {frage}   \tFrage      "
                            "                {antwort}\tMusterantwort"));
    QCOMPARE(Ctl<QPushButton>(props, 1)->text(), QStringLiteral("OK"));
    QCOMPARE(Ctl<QPushButton>(props, 2)->text(), QStringLiteral("Abbrechen"));
}

void tst_FileSettingsDlg::loadShowsTheFile_data() {
    QTest::addColumn<cTrainingData>("data");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("new document") << cTrainingData()
                                  << QStringList{"5", "0", "0", "-", "-", "-", "-"};
    // Alternating boxes: a box wired to its neighbour's value shows in the wrong place.
    QTest::newRow("swap, missing") << Values(5, 0, 0, true, false, true, false)
                                   << QStringList{"5", "0", "0", "x", "-", "x", "-"};
    QTest::newRow("extra, random") << Values(5, 0, 0, false, true, false, true)
                                   << QStringList{"5", "0", "0", "-", "x", "-", "x"};
    QTest::newRow("numbers") << Values(0, 255, 80, false, false, false, false)
                             << QStringList{"0", "255", "80", "-", "-", "-", "-"};
}

void tst_FileSettingsDlg::loadShowsTheFile() {
    QFETCH(cTrainingData, data);
    QFETCH(QStringList, shown);
    CFileSettingsDlg dlg;
    dlg.Load(data);
    dlg.show();
    QCOMPARE(Shown(dlg), shown);
    // Confirming unchanged stores exactly what was shown.
    Click(dlg, 1);
    cTrainingData back = Values(1, 2, 3, !data.m_bAllowSwap, !data.m_bAllowExtra,
                                !data.m_bAllowMissing, !data.m_bRandom);
    dlg.Store(back);
    QCOMPARE(FileSettingsTexts(back), FileSettingsTexts(data));
}

void tst_FileSettingsDlg::storesWhatIsShown_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    // The fields take only what a byte stores: a key that would go beyond 255 or is no
    // digit is refused, so the field shows what is stored.
    QTest::newRow("1019 300") << 1019 << "300" << 30;
    QTest::newRow("1028 300") << 1028 << "300" << 30;
    QTest::newRow("1030 256") << 1030 << "256" << 25;
    QTest::newRow("negative") << 1019 << "-1" << 1;
    QTest::newRow("junk") << 1019 << "x" << 0;
    QTest::newRow("empty") << 1019 << "" << 0;
    QTest::newRow("255") << 1019 << "255" << 255;
    QTest::newRow("trailing text") << 1019 << "12 Mal" << 12;
}

void tst_FileSettingsDlg::storesWhatIsShown() {
    QFETCH(int, id);
    QFETCH(QString, typed);
    QFETCH(int, stored);
    cTrainingData data = Values(5, 1, 2, false, false, false, false);
    CFileSettingsDlg dlg;
    dlg.Load(data);
    dlg.show();
    Type(Ctl<QLineEdit>(dlg, id), typed);
    QCOMPARE(Ctl<QLineEdit>(dlg, id)->text().toInt(), stored);
    Click(dlg, 1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    dlg.Store(data);
    // The typed value lands in its own field; the other two are untouched.
    QCOMPARE(int(data.m_nMaxWords), id == 1019 ? stored : 5);
    QCOMPARE(int(data.m_nMinRight), id == 1028 ? stored : 1);
    QCOMPARE(int(data.m_nMinPercent), id == 1030 ? stored : 2);
    // Reopening shows the stored byte.
    CFileSettingsDlg again;
    again.Load(data);
    QCOMPARE(Ctl<QLineEdit>(again, id)->text(), QString::number(stored));
}

void tst_FileSettingsDlg::resetAndCancelKeepOpeningValues_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Abbrechen") << false;
    QTest::newRow("Esc") << true;
}

void tst_FileSettingsDlg::resetAndCancelKeepOpeningValues() {
    QFETCH(bool, escape);
    const cTrainingData data = Values(7, 3, 50, true, false, true, false);
    CFileSettingsDlg dlg;
    dlg.Load(data);
    dlg.show();
    const QStringList opened = Shown(dlg);
    Type(Ctl<QLineEdit>(dlg, 1019), QStringLiteral("9"));
    Type(Ctl<QLineEdit>(dlg, 1028), QStringLiteral("300"));
    Type(Ctl<QLineEdit>(dlg, 1030), QString());
    for (int id : {1020, 1021, 1022, 1029})
        Click(dlg, id);
    QCOMPARE(Shown(dlg), QStringList({"9", "30", "", "-", "x", "-", "x"}));
    // "Eingaben zurücksetzen": the values the dialog opened with, not the defaults; the
    // dialog stays open.
    Click(dlg, 1024);
    QCOMPARE(Shown(dlg), opened);
    QVERIFY(dlg.isVisible());

    Type(Ctl<QLineEdit>(dlg, 1028), QStringLiteral("300"));
    Click(dlg, 1029);
    if (escape)
        QTest::keyClick(&dlg, Qt::Key_Escape);
    else
        Click(dlg, 2);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!dlg.isVisible());
    // The controls show the members again, and the members are the opening values.
    QCOMPARE(Shown(dlg), opened);
    QCOMPARE(dlg.Members(), FileSettingsTexts(data));
    cTrainingData back = Values(1, 1, 1, false, true, false, true);
    dlg.Store(back);
    QCOMPARE(FileSettingsTexts(back), FileSettingsTexts(data));
}

void tst_FileSettingsDlg::propsRoundTrip_data() {
    QTest::addColumn<cTrainingData>("data");
    QTest::addColumn<bool>("showAll");
    QTest::addColumn<QStringList>("templates"); // 1038, 1035, 1036
    QTest::addColumn<int>("crypt");
    QTest::newRow("new document") << cTrainingData() << false << QStringList{"", "", ""} << 0;
    cTrainingData full;
    full.m_bShowAll = true;
    full.m_nCrypt = 1;
    full.m_strQuestionTemplate = Cp1252FromUtf8("Übersetzen: {frage}");
    full.m_strRightTemplate = "Richtig: {antwort}";
    full.m_strWrongTemplate = "Falsch, richtig ist {antwort}";
    QTest::newRow("everything set") << full << true
                                    << QStringList{U("Übersetzen: {frage}"), "Richtig: {antwort}",
                                                   "Falsch, richtig ist {antwort}"}
                                    << 1;
    cTrainingData odd;
    odd.m_strQuestionTemplate = "{frage}\r\n{antwort}";
    odd.m_strRightTemplate = std::string("\x81\x02", 2);
    QTest::newRow("odd bytes") << odd << false
                               << QStringList{"{frage}\r\n{antwort}", QString(QChar(0x81)) + QChar(2), ""}
                               << 0;
}

void tst_FileSettingsDlg::propsRoundTrip() {
    QFETCH(cTrainingData, data);
    QFETCH(bool, showAll);
    QFETCH(QStringList, templates);
    QFETCH(int, crypt);
    CFilePropsDlg dlg;
    dlg.Load(data);
    dlg.show();
    QCOMPARE(Ctl<QCheckBox>(dlg, 1037)->isChecked(), showAll);
    QCOMPARE(Ctl<QComboBox>(dlg, 1039)->currentIndex(), crypt);
    QCOMPARE(QStringList({Ctl<QLineEdit>(dlg, 1038)->text(), Ctl<QLineEdit>(dlg, 1035)->text(),
                          Ctl<QLineEdit>(dlg, 1036)->text()}),
             templates);
    Click(dlg, 1);
    cTrainingData back;
    back.m_nCrypt = 9;
    back.m_bShowAll = !showAll;
    dlg.Store(back);
    // Untouched, every byte comes back.
    QCOMPARE(FilePropsValues(back), FilePropsValues(data));
    QCOMPARE(int(back.m_nCrypt), int(data.m_nCrypt));

    // Typed: the new texts, the chosen entry and the check box.
    CFilePropsDlg typed;
    typed.Load(data);
    typed.show();
    Type(Ctl<QLineEdit>(typed, 1038), QStringLiteral("F: {frage}"));
    Type(Ctl<QLineEdit>(typed, 1035), QStringLiteral("R: {antwort}"));
    Type(Ctl<QLineEdit>(typed, 1036), QStringLiteral("W: {antwort}"));
    Ctl<QComboBox>(typed, 1039)->setCurrentIndex(1 - crypt);
    Click(typed, 1037);
    Click(typed, 1);
    typed.Store(back);
    QCOMPARE(back.m_strQuestionTemplate, std::string("F: {frage}"));
    QCOMPARE(back.m_strRightTemplate, std::string("R: {antwort}"));
    QCOMPARE(back.m_strWrongTemplate, std::string("W: {antwort}"));
    QCOMPARE(int(back.m_nCrypt), 1 - crypt);
    QCOMPARE(back.m_bShowAll, !showAll);
}

void tst_FileSettingsDlg::unknownScramblingStoresNoSelection() {
    cTrainingData data;
    data.m_nCrypt = 7;
    CFilePropsDlg dlg;
    dlg.Load(data);
    dlg.show();
    QCOMPARE(Ctl<QComboBox>(dlg, 1039)->currentIndex(), -1);
    QCOMPARE(Ctl<QComboBox>(dlg, 1039)->currentText(), QString());
    Click(dlg, 1);
    dlg.Store(data);
    QCOMPARE(int(data.m_nCrypt), 255);
}

void tst_FileSettingsDlg::extendedWritesAtOnceEvenWhenSettingsCancelled() {
    viewtest::ViewFixture f;
    f.doc->SetModifiedFlag(false);
    const cTrainingData before = f.doc->Data();
    const auto run = [&](int propsButton, bool written) {
        const auto typeProps = [](QWidget& props) {
            Ctl<QLineEdit>(props, 1038)->setText(QStringLiteral("Neu: {frage}"));
            Ctl<QCheckBox>(props, 1037)->setChecked(false);
            Ctl<QComboBox>(props, 1039)->setCurrentIndex(1);
        };
        const auto typeSettings = [](QWidget& dlg) {
            Ctl<QLineEdit>(dlg, 1019)->setText(QStringLiteral("9"));
        };
        const QString settings = QStringLiteral("dlg137");
        // The last step waits until the confirmed properties are in the document while
        // the settings dialog is still open; if they never arrive, the script times out.
        // (Checking once would race the properties dialog's return on a busy machine.)
        const ModalScript::Step cancelSettings = [&, settings, written](QWidget* modal) {
            if (modal->objectName() != settings
                || (written && f.doc->Data().m_strQuestionTemplate != "Neu: {frage}"))
                return false;
            ModalScript::Click(Ctl<QPushButton>(*modal, 2));
            return true;
        };
        return ModalScript::Run({ModalScript::On(settings, typeSettings, 1034),
                                 ModalScript::On(QStringLiteral("dlg143"), typeProps, propsButton),
                                 cancelSettings},
                                [&] { QVERIFY(!CFileSettingsDlg::Run(*f.doc, f.view.get(), [] {})); });
    };
    // Cancelled, the extended properties change nothing.
    QVERIFY(run(2, false));
    QCOMPARE(FilePropsValues(f.doc->Data()), FilePropsValues(before));
    // Confirmed, they are written while the settings dialog is still open.
    QVERIFY(run(1, true));
    const cTrainingData& d = f.doc->Data();
    QCOMPARE(d.m_strQuestionTemplate, std::string("Neu: {frage}"));
    QVERIFY(!d.m_bShowAll);
    QCOMPARE(int(d.m_nCrypt), 1);
    // The cancelled settings stay as they were; nothing marks the document modified.
    QCOMPARE(FileSettingsTexts(d), FileSettingsTexts(before));
    QVERIFY(!f.doc->IsModified());
}

void tst_FileSettingsDlg::commandEditsActiveFileAndResetsStatistics() {
    testfiles::TempDir work;
    const std::string path = work.Path("datei.vdr");
    cTrainingData sample = viewtest::SampleData();
    QCOMPARE(sample.WriteTrainingFile(path), 0);
    RecordingPresenter boxes;
    auto frame = windowtest::ShowFrame(QString::fromStdString(work.Dir()));
    QVERIFY(!frame->Action(cmd::kFileSettings)->isEnabled()); // no file yet
    CChildFrame* child = frame->OpenDocumentFile(QString::fromStdString(path));
    QVERIFY(child);
    QVERIFY(frame->Action(cmd::kFileSettings)->isEnabled());
    CVendrillDoc& doc = child->Document();
    doc.SetModifiedFlag(false);
    const auto overviewRows = [child] {
        return child->View()->findChild<QAbstractItemView*>(QStringLiteral("ctl1009"))->model()->rowCount();
    };
    const int rowsBefore = overviewRows();
    const QString settings = QStringLiteral("dlg137");

    // Cancelled, the dialog leaves the file alone.
    QVERIFY(ModalScript::Run({ModalScript::On(settings, [](QWidget& dlg) {
                                  Ctl<QLineEdit>(dlg, 1019)->setText(QStringLiteral("1"));
                                  Ctl<QCheckBox>(dlg, 1029)->setChecked(true);
                              }, 2)},
                             [&] { frame->Action(cmd::kFileSettings)->trigger(); }));
    QVERIFY(!doc.IsModified());
    QCOMPARE(int(doc.Data().m_nMaxWords), 0);
    QVERIFY(!doc.Data().m_bRandom);
    QVERIFY(boxes.boxes.empty());

    boxes.answers = {ResultYes};
    QStringList shown;
    bool stillOpenAfterReset = false;
    std::uint32_t statsAfterReset = 99;
    const auto edit = [&](QWidget& dlg) {
        shown = Shown(dlg);
        Ctl<QLineEdit>(dlg, 1028)->setText(QStringLiteral("300"));
        Ctl<QCheckBox>(dlg, 1021)->setChecked(false);
    };
    // The statistics question was answered; the dialog is still up.
    const ModalScript::Step afterReset = [&](QWidget* dlg) {
        if (dlg->objectName() != settings || boxes.boxes.empty())
            return false;
        stillOpenAfterReset = dlg->isVisible();
        const auto& stats = doc.Data().m_aTasks[viewtest::TaskTree].m_nStats;
        statsAfterReset = stats[0] + stats[1];
        ModalScript::Click(Ctl<QPushButton>(*dlg, 1034));
        return true;
    };
    const auto hideAll = [](QWidget& props) { Ctl<QCheckBox>(props, 1037)->setChecked(false); };
    QVERIFY(ModalScript::Run({ModalScript::On(settings, edit, 32775), afterReset,
                              ModalScript::On(QStringLiteral("dlg143"), hideAll, 1),
                              ModalScript::On(settings, {}, 1)},
                             [&] { frame->Action(cmd::kFileSettings)->trigger(); }));
    // The sample tolerates every typing error and counts any number of words.
    QCOMPARE(shown, QStringList({"0", "0", "0", "x", "x", "x", "-"}));
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    QCOMPARE(boxes.boxes[0].currentId, 401);
    QVERIFY(stillOpenAfterReset);
    QCOMPARE(statsAfterReset, std::uint32_t(0));
    QVERIFY(doc.IsModified());
    QCOMPARE(int(doc.Data().m_nMinRight), 44);
    QVERIFY(!doc.Data().m_bAllowExtra);
    QCOMPARE(overviewRows(), rowsBefore - 1); // "Alle Aufgaben" left the overview at once

    child->close();
    cTrainingData read;
    QCOMPARE(read.ReadTrainingFile(path), 0);
    QCOMPARE(int(read.m_nMinRight), 44);
    QVERIFY(!read.m_bAllowExtra);
    QVERIFY(read.m_bAllowMissing);
    QVERIFY(!read.m_bShowAll);
    QCOMPARE(read.m_aTasks[viewtest::TaskTree].m_nStats[1], std::uint32_t(0));
}

QTEST_MAIN(tst_FileSettingsDlg)
#include "tst_filesettingsdlg.moc"
