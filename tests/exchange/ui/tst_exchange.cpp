// "Importieren..." and "Exportieren..." driven once through the main window: a CSV into
// the open file (with the question about characters outside Windows-1252), the new
// questionnaire in the overview, then the file exported as KVTML.

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "common/WindowTest.h"
#include "data/ui/VendrillDoc.h"
#include "exchange/ui/ExchangeDlg.h"
#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QtWidgets>
#include <QtTest>

#include <sys/stat.h>

class tst_Exchange : public QObject {
    Q_OBJECT
private slots:
    void importIntoOpenFileThenExportKvtml();
    void exchangeFileOpensUntitledAndExportsForSpreadsheets();
};

void tst_Exchange::importIntoOpenFileThenExportKvtml() {
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir work;
    SetProgramDirPath(work.path());
    RecordingPresenter boxes;
    boxes.answers = {ResultYes}; // replace characters outside Windows-1252
    const QString vdr = windowtest::CopySample(work.path(), QStringLiteral("beispiel.vdr"));
    const QString csv = work.filePath(QStringLiteral("vokabeln.csv"));
    testfiles::WriteBytes(csv.toStdString(), "Frage;Lösung\r\nŁódź;Lodz\r\nStraße;street\r\n");

    QStringList chosen{csv, work.filePath(QStringLiteral("export"))};
    QStringList filters;
    SetExchangeFileChooser([&](bool, const QString&, const QString& offered, QString* selected) {
        filters << offered;
        if (selected)
            *selected = QStringLiteral("KVTML-Datei (*.kvtml)");
        return chosen.isEmpty() ? QString() : chosen.takeFirst();
    });
    auto frame = windowtest::ShowFrame(work.path());
    QVERIFY(frame->OpenDocumentFile(vdr));
    cTrainingData& data = frame->ActiveChild()->Document().Data();
    const std::size_t tasksBefore = data.m_aTasks.size();

    QString format;
    QVERIFY(ModalScript::Run({ModalScript::On(QStringLiteral("importDlg"), [&](QWidget& dlg) {
                                 format = dlg.findChild<QComboBox*>(QStringLiteral("importFormat"))->currentText();
                                 dlg.findChild<QRadioButton*>(QStringLiteral("importAppend"))->setChecked(true);
                             }, 1)},
                             [&] { frame->Action(cmd::kImport)->trigger(); }));
    QCOMPARE(format, QStringLiteral("CSV / tabulatorgetrennter Text"));
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    QVERIFY(boxes.boxes[0].text.find("Zeile 2, Spalte 1") != std::string::npos);

    QCOMPARE(data.m_aTasks.size(), tasksBefore + 2);
    QCOMPARE(data.m_aTasks.back().m_strQuestion, std::string("Stra\xDF" "e"));
    QCOMPARE(data.m_aQuestionnaires.back().m_strTitle, std::string(kAllTasksTitle));
    QVERIFY(frame->ActiveChild()->Document().IsModified());
    auto* overview = frame->findChild<QListView*>(QStringLiteral("ctl1009"));
    QVERIFY(overview && overview->isVisible());
    QStringList shown;
    for (int row = 0; row < overview->model()->rowCount(); ++row)
        shown << overview->model()->index(row, 0).data().toString();
    QVERIFY2(shown.contains(QStringLiteral("vokabeln")), qPrintable(shown.join(u'|')));

    frame->Action(cmd::kExport)->trigger();
    QVERIFY(filters.last().contains(QStringLiteral("*.kvtml")));
    const std::string kvtml = testfiles::ReadBytes(work.filePath(QStringLiteral("export.kvtml")).toStdString());
    QCOMPARE(QString::fromStdString(kvtml.substr(0, kvtml.find('\n'))),
             QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QVERIFY(kvtml.find("kvtml", kvtml.find('\n')) < kvtml.find('\n', kvtml.find('\n') + 1));
    QVERIFY(kvtml.find("<name>vokabeln</name>") != std::string::npos);
    QVERIFY(kvtml.find("<text>?ód?</text>") != std::string::npos);

    // A FIFO nobody writes into is refused at once, not waited for.
    const QString fifo = work.filePath(QStringLiteral("leer.csv"));
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    chosen = {fifo};
    boxes.boxes.clear();
    QVERIFY(ModalScript::Run({ModalScript::On(QStringLiteral("importDlg"), [](QWidget&) {}, 1)},
                             [&] { frame->Action(cmd::kImport)->trigger(); }));
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(boxes.boxes[0].text),
             "Die Datei \"" + fifo + "\" kann nicht importiert werden.\r\nDie Datei kann nicht gelesen werden.");
    QCOMPARE(data.m_aTasks.size(), tasksBefore + 2);

    // JSON: a broken file is refused naming its byte; a whole training file is appended
    // with its statistics and questionnaires.
    const QString bad = work.filePath(QStringLiteral("kaputt.json"));
    const QString json = work.filePath(QStringLiteral("ganz.json"));
    testfiles::WriteBytes(bad.toStdString(), "{\"tasks\":[}");
    testfiles::WriteBytes(json.toStdString(), R"({"tasks":[{"question":"Tür","points":2,"stats":[1,2,3]}],)"
                                              R"("questionnaires":[{"title":"Prüfung","examSeconds":60,"tasks":[0]}]})");
    chosen = {bad, json};
    boxes.boxes.clear();
    QStringList shownFormats;
    for (int i = 0; i < 2; ++i)
        QVERIFY(ModalScript::Run({ModalScript::On(QStringLiteral("importDlg"), [&](QWidget& dlg) {
                                     shownFormats << dlg.findChild<QComboBox*>(QStringLiteral("importFormat"))->currentText();
                                     QVERIFY(!dlg.findChild<QComboBox*>(QStringLiteral("importEncoding"))->isEnabled());
                                     dlg.findChild<QRadioButton*>(QStringLiteral("importAppend"))->setChecked(true);
                                 }, 1)},
                                 [&] { frame->Action(cmd::kImport)->trigger(); }));
    QCOMPARE(shownFormats, QStringList(2, QStringLiteral("JSON-Trainingsdatei")));
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    QCOMPARE(boxes.boxes[0].text, "Die Datei \"" + bad.toStdString() +
                                      "\" kann nicht importiert werden.\r\nDie Datei ist kein g\xFCltiges JSON (Fehler bei Byte 11).");
    QCOMPARE(data.m_aTasks.size(), tasksBefore + 3);
    QCOMPARE(data.m_aTasks.back().m_nStats[2], 3u);
    QCOMPARE(data.m_aQuestionnaires[data.m_aQuestionnaires.size() - 2].m_strTitle, std::string("Pr\xFC" "fung"));
    SetExchangeFileChooser({});
}

// Opening a KVTML file (as dropping it or naming it on the command line does) imports it
// into a new untitled file named after it; saving asks for a .vdr name; the export dialog
// offers CSV for German spreadsheets. A JSON file opens as the training file it holds and
// exports as the same bytes.
void tst_Exchange::exchangeFileOpensUntitledAndExportsForSpreadsheets() {
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir work;
    SetProgramDirPath(work.path());
    RecordingPresenter boxes;
    const QString kvtml = work.filePath(QStringLiteral("padding.kvtml"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANT_SOURCE_DIR "/tests/exchange/data/padding.kvtml"), kvtml));
    auto frame = windowtest::ShowFrame(work.path());
    QStringList suggested;
    frame->SetFileChooser([&](CMainFrame::FileChoice, const QString& suggestion) {
        suggested << suggestion;
        return QString();
    });
    CChildFrame* child = frame->OpenDocumentFile(kvtml);
    QVERIFY(child);
    CVendrillDoc& doc = child->Document();
    QCOMPARE(doc.Title(), QStringLiteral("padding.kvtml"));
    QVERIFY(child->windowTitle().startsWith(QStringLiteral("padding.kvtml")));
    QVERIFY(doc.PathName().isEmpty());
    QCOMPARE(doc.Data().m_aTasks.size(), std::size_t(2));
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    QVERIFY(boxes.boxes[0].text.find("2 leere Eintr\xE4ge \xFC" "bersprungen") != std::string::npos);
    frame->Action(cmd::kFileSave)->trigger();
    QCOMPARE(suggested, QStringList{QDir::home().filePath(QStringLiteral("padding.vdr"))});

    const QString csv = work.filePath(QStringLiteral("export.csv"));
    SetExchangeFileChooser([&](bool, const QString&, const QString&, QString* selected) {
        *selected = QStringLiteral("CSV-Datei mit Semikolon, Windows-1252 (*.csv)");
        return csv;
    });
    frame->Action(cmd::kExport)->trigger();
    SetExchangeFileChooser({});
    QCOMPARE(testfiles::ReadBytes(csv.toStdString()),
             std::string("Frage;L\xF6sung;Pattern;Kategorie;AufgabenNr;Punkte\r\nHaus;house;;;1;1\r\n"
                         "K\xFC" "che;;;;2;1\r\n"));

    const QString json = work.filePath(QStringLiteral("training.json"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANT_SOURCE_DIR "/tests/exchange/data/training.json"), json));
    CChildFrame* opened = frame->OpenDocumentFile(json);
    QVERIFY(opened && opened != child);
    QCOMPARE(opened->Document().Title(), QStringLiteral("training.json"));
    QVERIFY(opened->Document().PathName().isEmpty() && !opened->Document().IsModified());
    const cTrainingData& d = opened->Document().Data();
    QCOMPARE(d.m_aTasks.size(), std::size_t(2));
    QCOMPARE(d.m_nMinPercent, std::uint8_t(75));
    QCOMPARE(d.m_aQuestionnaires.front().m_strTitle, std::string("Lektion 1"));
    QCOMPARE(d.m_aQuestionnaires.size(), std::size_t(2));

    // Exported as JSON again (the name typed without extension), it is the same file.
    SetExchangeFileChooser([&](bool, const QString&, const QString&, QString* selected) {
        *selected = QStringLiteral("JSON-Trainingsdatei (*.json)");
        return work.filePath(QStringLiteral("zurueck"));
    });
    frame->Action(cmd::kExport)->trigger();
    SetExchangeFileChooser({});
    QCOMPARE(testfiles::ReadBytes(work.filePath(QStringLiteral("zurueck.json")).toStdString()),
             testfiles::ReadBytes(json.toStdString()));
}

QTEST_MAIN(tst_Exchange)
#include "tst_exchange.moc"
