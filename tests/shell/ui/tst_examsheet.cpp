// Exam sheets: the real program writes two variants and their key without a display, read
// back with pdftotext; its refusals of wrong command lines; and the dialog's wiring.

#include "common/ProgramRun.h"
#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "practice/ui/ExamSheetDlg.h"

#include <QtTest>
#include <QtWidgets>

namespace {

QString PdfText(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    return process.waitForFinished(60000) && process.exitCode() == 0
               ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// Twelve text tasks and three multiple-choice tasks in an exam questionnaire; questions
// and solutions are words that occur nowhere else.
cTrainingData ExamData() {
    cTrainingData data;
    cQuestionnaire q;
    q.m_strTitle = testdata::W("Prüfung Recht");
    q.m_nExamSeconds = 600;
    q.m_nPassPoints = 14;
    q.m_nRetakePoints = 10;
    for (int i = 0; i < 15; ++i) {
        cTask t = testdata::TextTask(std::to_string(i + 1), "Frage" + std::to_string(100 + i) + " bitte beantworten",
                                     "Loesung" + std::to_string(100 + i), 1 + i % 2);
        if (i >= 12) {
            t.m_nType = TaskTypeMultipleChoice;
            t.m_nChoiceCount = 3;
            for (int c = 0; c < 3; ++c)
                t.m_strChoice[c] = "Wahl" + std::to_string(i) + "x" + std::to_string(c);
            t.m_bChoiceRight[2] = true;
        }
        data.m_aTasks.push_back(t);
        q.m_aTaskIndex.push_back(std::uint32_t(i));
    }
    data.m_aQuestionnaires.push_back(q);
    // Writing leaves out the last questionnaire, the automatic one.
    data.m_aQuestionnaires.push_back(cQuestionnaire());
    return data;
}

} // namespace

class tst_ExamSheet : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_strFile;

    int Run(const QStringList& args, QString* errors = nullptr) {
        return programrun::Run(args, m_dir.path(), m_strFile, errors);
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils, installed by scripts/deps.sh) is missing");
        if (!QFileInfo(programrun::ProgramPath()).isExecutable())
            QSKIP("the program is not built beside the tests");
        m_strFile = m_dir.filePath(QStringLiteral("recht.vdr"));
        cTrainingData data = ExamData();
        QCOMPARE(data.WriteTrainingFile(m_strFile.toStdString()), 0);
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
    }

    void twoVariantsAndKey() {
        const std::string before = testfiles::ReadBytes(m_strFile.toStdString());
        const QStringList args{"--exam-sheet", "%D/bogen.pdf", "%F", "--variants", "2", "--seed", "77",
                               "--key", "%D/loesung.pdf"};
        QCOMPARE(Run(args), 0);
        const QString sheets = PdfText(m_dir.filePath("bogen.pdf"));
        const QString key = PdfText(m_dir.filePath("loesung.pdf"));
        QVERIFY(!sheets.isEmpty() && !key.isEmpty());
        // The pages of each variant, by their footers.
        QString groups[2];
        for (const QString& page : sheets.split(QLatin1Char('\f')))
            for (int g = 0; g < 2; ++g)
                if (page.contains(QString::fromUtf8("Gruppe %1 – Seite").arg(QChar('A' + g))))
                    groups[g] += page;
        QVERIFY(!groups[0].isEmpty() && !groups[1].isEmpty());
        QVERIFY2(groups[0].contains(QString::fromUtf8("Prüfung Recht")) && groups[0].contains("Name:"),
                 qPrintable(groups[0].left(300)));
        QVERIFY(groups[0].contains("Bestanden ab 14 von 22 Punkten, " + QString::fromUtf8("Nachprüfung ab 10 Punkten")));
        QStringList orders[2];
        for (int i = 0; i < 15; ++i) {
            const QString question = QStringLiteral("Frage%1").arg(100 + i);
            const QString solution = QStringLiteral("Loesung%1").arg(100 + i);
            for (int g = 0; g < 2; ++g) {
                QCOMPARE(groups[g].count(question), 1);
                orders[g] << QString::number(groups[g].indexOf(question));
            }
            QVERIFY2(!sheets.contains(solution), qPrintable(solution));
            QCOMPARE(key.count(solution), 2);
        }
        QVERIFY(orders[0] != orders[1]);
        QVERIFY(key.contains(QString::fromUtf8("Gruppe B – Startwert 77")));
        QVERIFY(key.contains(QString::fromUtf8("Lösungsbogen")));
        // The same seed gives the same pages; the training file is untouched.
        QCOMPARE(Run({"--exam-sheet", "%D/wieder.pdf", "%F", "--variants", "2", "--seed", "77", "--no-key"}), 0);
        QCOMPARE(PdfText(m_dir.filePath("wieder.pdf")), sheets);
        QVERIFY(testfiles::ReadBytes(m_strFile.toStdString()) == before);
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args"); QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString e = QStringLiteral("--exam-sheet");
        QTest::newRow("variants") << QStringList{e, "%D/a.pdf", "%F", "--variants", "7"} << 2
                                  << "--variants braucht eine Zahl von 1 bis 6.";
        QTest::newRow("tasks") << QStringList{e, "%D/a.pdf", "%F", "--tasks", "0"} << 2 << "--tasks braucht eine Zahl ab 1.";
        QTest::newRow("seed") << QStringList{e, "%D/a.pdf", "%F", "--seed", "-1"} << 2
                              << "--seed braucht eine Zahl von 0 bis 4294967295.";
        QTest::newRow("key over the file") << QStringList{e, "%D/a.pdf", "%F", "--key", "%D/./recht.vdr"} << 2
                                           << "Die PDF-Datei darf nicht die Trainingsdatei sein.";
        QTest::newRow("key over the sheet") << QStringList{e, "%D/a.pdf", "%F", "--key", "%D/a.pdf"} << 2
                                            << QString::fromUtf8("Prüfungsbogen und Lösungsbogen brauchen zwei verschiedene Dateien.");
        QTest::newRow("without exam sheet") << QStringList{"--pdf", "%D/a.pdf", "%F", "--variants", "2"} << 2
                                            << "gelten nur zusammen mit --exam-sheet.";
        QTest::newRow("folder missing") << QStringList{e, "%D/kein/a.pdf", "%F"} << 1
                                        << "Die PDF-Datei \"%D/kein/a.pdf\" konnte nicht geschrieben werden.";
        QTest::newRow("no questionnaire") << QStringList{e, "%D/a.pdf", "%F", "--questionnaire", "5"} << 2
                                          << QString::fromUtf8("Fragebogen 5 gibt es nicht");
    }

    void refusals() {
        QFETCH(QStringList, args); QFETCH(int, status); QFETCH(QString, message);
        QString errors;
        QCOMPARE(Run(args, &errors), status);
        QVERIFY2(errors.contains(message.replace("%D", m_dir.path())), qPrintable(errors));
        QVERIFY(!QFile::exists(m_dir.filePath("a.pdf")));
    }

    void dialogStoresChoices() {
        cExamSheetOptions options;
        options.m_strTitle = "Test";
        options.m_nSeed = 5;
        CExamSheetDlg dlg;
        dlg.Load(options, 20);
        dlg.show();
        auto* variants = dlg.findChild<QSpinBox*>("spinVariants");
        auto* listed = dlg.findChild<QRadioButton*>("radioListed");
        QVERIFY(variants && listed && listed->isChecked());
        // More than one variant is always shuffled.
        variants->setValue(3);
        QVERIFY(!listed->isEnabled() && dlg.findChild<QRadioButton*>("radioShuffled")->isChecked());
        dlg.findChild<QRadioButton*>("radioSomeTasks")->click();
        dlg.findChild<QSpinBox*>("spinTaskCount")->setValue(8);
        dlg.findChild<QCheckBox*>("checkDate")->click();
        dlg.findChild<QComboBox*>("comboKey")->setCurrentIndex(ExamKeySeparate);
        auto* seed = dlg.findChild<QLineEdit*>("editSeed");
        seed->clear();
        QTest::keyClicks(seed, "x99");
        QTest::mouseClick(dlg.findChild<QPushButton*>("buttonPdf"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.ChosenOutput(), CExamSheetDlg::Pdf);
        cExamSheetOptions stored;
        dlg.Store(stored);
        cExamSheetOptions expected = options;
        expected.m_nVariants = 3;
        expected.m_bShuffle = true;
        expected.m_nTaskCount = 8;
        expected.m_bDateLine = false;
        expected.m_nKey = ExamKeySeparate;
        expected.m_nSeed = 99;
        QVERIFY(stored == expected);
    }
};

QTEST_MAIN(tst_ExamSheet)
#include "tst_examsheet.moc"
