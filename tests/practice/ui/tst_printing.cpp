// Printing: a questionnaire of 70 tasks printed to PDF and read back with pdftotext
// (pages, titles, page numbers, page breaks, print selections), the font's pixel height
// at 600 dpi, page ranges, message 103 once per job, the refusal without a questionnaire,
// and the print requests through the real program, also handed to a running one.

#include "common/ProgramRun.h"
#include "common/RecordingPresenter.h"
#include "common/TaskBuilders.h"
#include "common/TestFiles.h"
#include "data/Document.h"
#include "practice/Query.h"
#include "practice/ui/PrintView.h"
#include "base/Settings.h"
#include "shell/ui/SingleInstance.h"
#include "ui/Text.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QPrinterInfo>
#include <QtTest>

#include <set>

#include <unistd.h>

namespace {

const char* const kTitle = "Prüfung Übersicht";

#define NEEDS_PROGRAM()                                          \
    if (!QFileInfo(programrun::ProgramPath()).isExecutable()) \
    QSKIP("the program is not built beside the tests")

// Only places tasks; widths do not move them.
class cNoMeasure : public cTextMeasure {
public:
    int TextWidth(const std::string& text) const override { return int(text.size()); }
    int TextHeight() const override { return 1; }
};

// 70 tasks of 1 to 3 question lines (long ones wrap) and 1 to 3 solution lines, with
// counters that make the print selections differ; the last questionnaire holds them all.
struct PrintFixture {
    cDocument doc;
    cSettings settings;
    cQueryHost host;
    std::unique_ptr<cQuery> query;

    explicit PrintFixture(int selection) {
        doc.NewDocument();
        cQuestionnaire q;
        q.m_strTitle = testdata::W(kTitle);
        for (int i = 0; i < 70; ++i) {
            std::string question = "Frage " + std::to_string(i + 1) + ": Was gilt hier";
            for (int w = 0; w < (i % 3) * 12; ++w)
                question += " Wort";
            std::string solution = "Antwort";
            for (int l = 0; l < i % 3; ++l)
                solution += "\r\nweitere Zeile";
            cTask t = testdata::TextTask(std::to_string(i + 1), question + "?", solution);
            t.m_nStats[0] = std::uint32_t(i % 4); t.m_nStats[1] = std::uint32_t(i % 3);
            doc.m_data.m_aTasks.push_back(t);
            q.m_aTaskIndex.push_back(std::uint32_t(i));
        }
        doc.m_data.m_aQuestionnaires.push_back(q);
        settings.m_nPrintSelection = selection;
        query = std::make_unique<cQuery>(doc, settings, host);
        query->LoadQuestionnaire(int(doc.m_data.m_aQuestionnaires.size()) - 1);
    }
};

QString PdfText(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), QStringList(args) << QStringLiteral("-"));
    const bool done = process.waitForFinished(60000) && process.exitCode() == 0;
    return done ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// The non-empty lines of each page as laid out.
QList<QStringList> PdfPages(const QString& pdf) {
    QList<QStringList> pages;
    for (const QString& page : PdfText({QStringLiteral("-layout"), pdf}).split(QLatin1Char('\f'))) {
        QStringList lines;
        for (const QString& line : page.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (!line.trimmed().isEmpty())
                lines << line.trimmed();
        if (!lines.isEmpty())
            pages << lines;
    }
    return pages;
}

} // namespace

class tst_Printing : public QObject {
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
        m_strFile = m_dir.filePath(QStringLiteral("beispiel.vdr"));
        QVERIFY(QFile::copy(QStringLiteral(QUORVANT_SOURCE_DIR "/resources/beispiel.vdr"), m_strFile));
        QVERIFY(link(QFile::encodeName(m_strFile), QFile::encodeName(m_dir.filePath("hart.pdf"))) == 0);
        // The hand-over's sockets live in the temporary folder: one of our own keeps these
        // starts away from any Quorvant that is really running.
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
    }

    void pagesOfTheCoreLayout() {
        // Each selection: all tasks, wrong at least once, more often wrong than right.
        for (const int selection : {0, 1, 2}) {
            PrintFixture f(selection);
            const QString pdf = m_dir.filePath(QStringLiteral("auswahl.pdf"));
            QVERIFY(WritePrintPdf(pdf, *f.query));
            const QList<QStringList> pages = PdfPages(pdf);
            QCOMPARE(pages.size(), f.query->PrintPageCount());
            QVERIFY(pages.size() > 1);
            for (int p = 1; p <= pages.size(); ++p) {
                QCOMPARE(pages[p - 1].first(), QString::fromUtf8(kTitle));
                QCOMPARE(pages[p - 1].last(), QString::number(p));
                // Each page holds exactly the tasks the core's layout (and selection) puts on it.
                std::set<int> expected, onPage;
                for (const cPrintTaskBox& box :
                     f.query->LayoutPrintPage(PrintRectangle({}), p, cNoMeasure()).tasks)
                    expected.insert(int(box.task) + 1);
                for (const QString& line : pages[p - 1])
                    if (line.startsWith(QStringLiteral("Frage ")))
                        onPage.insert(line.mid(6, line.indexOf(QLatin1Char(':')) - 6).toInt());
                QVERIFY2(onPage == expected, qPrintable(QString("%1 page %2").arg(selection).arg(p)));
            }
        }
    }

    void fontHeightAt600Dpi() {
        PrintFixture f(0);
        const QString pdf = m_dir.filePath(QStringLiteral("schrift.pdf"));
        QVERIFY(WritePrintPdf(pdf, *f.query, 600));
        // A4 at 600 dpi: 685 tenths of a point, through the screen's resolution into pixels
        // (91 at 96 dpi), not 685 tenths on the printer (570 pixels).
        const cPrintDevice a4{600, 600, 4961, 7016, 0, 0};
        QCOMPARE(PrintFontTenths(PrintRectangle(a4), a4), 685);
        const int expected = PrintFontPixelHeight(685, ScreenDpiY());
        QCOMPARE(expected, (685 * ScreenDpiY() + 360) / 720);
        // pdftotext's word boxes span the font's ascent and descent, in points.
        static const QRegularExpression word(
            QStringLiteral("yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">Frage<"));
        const auto m = word.match(PdfText({QStringLiteral("-bbox"), pdf}));
        QVERIFY(m.hasMatch());
        const QFontMetricsF metrics(PrintFont(1000));
        const double pixels = (m.captured(2).toDouble() - m.captured(1).toDouble()) * 600 / 72 /
                              ((metrics.ascent() + metrics.descent()) / 1000);
        QVERIFY2(qAbs(pixels - expected) < 1, qPrintable(QString::number(pixels)));

        // A search prints what the list shows and says so in the bold title; each solution
        // stands off from its question.
        f.query->SetSearchText("Frage 5");
        QVERIFY(WritePrintPdf(pdf, *f.query, 600));
        QCOMPARE(PdfPages(pdf).value(0).value(0), QString::fromUtf8(kTitle) + " – Suche: Frage 5, 11 Aufgaben");
        QProcess fonts;
        fonts.start(QStringLiteral("pdffonts"), {pdf});
        QVERIFY(fonts.waitForFinished(60000));
        QVERIFY(QString::fromUtf8(fonts.readAllStandardOutput()).contains(QStringLiteral("Bold")));
        static const QRegularExpression left(QStringLiteral("xMin=\"([0-9.]+)\"[^>]*>(Frage|Antwort)<"));
        QMap<QString, double> lefts;
        for (auto it = left.globalMatch(PdfText({QStringLiteral("-bbox"), pdf})); it.hasNext();) {
            const auto m = it.next();
            lefts.insert(m.captured(2), m.captured(1).toDouble());
        }
        QVERIFY2(lefts.value("Antwort") > lefts.value("Frage") + 20, qPrintable(QString::number(lefts.value("Antwort"))));
    }

    void rangeMessage103AndRefusal() {
        RecordingPresenter presenter;
        {
            // An unknown selection (a damaged settings file) prints nothing and says so once.
            PrintFixture f(7);
            for (std::size_t job = 1; job <= 2; ++job) {
                QVERIFY(WritePrintPdf(m_dir.filePath(QStringLiteral("unbekannt.pdf")), *f.query));
                QCOMPARE(presenter.boxes.size(), job);
                QCOMPARE(presenter.boxes.back().currentId, 103);
                QCOMPARE(presenter.boxes.back().text, std::string("Unbekannte Druckoption: 7"));
            }
        }
        PrintFixture f(0);
        QPrinter printer;
        printer.setOutputFileName(m_dir.filePath(QStringLiteral("bereich.pdf")));
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        QVERIFY(PrintPages(printer, *f.query));
        const QList<QStringList> pages = PdfPages(printer.outputFileName());
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[0].last() + pages[1].last(), QStringLiteral("23"));
        // Without a questionnaire neither the print dialog nor the preview opens.
        cDocument empty;
        empty.NewDocument();
        cQuery none(empty, f.settings, f.host);
        QVERIFY(!RunPrintDialog(printer, none, nullptr));
        RunPrintPreview(printer, none, nullptr);
        QCOMPARE(presenter.boxes.size(), std::size_t(4));
        QCOMPARE(ToQString(presenter.boxes.back().text),
                 QString::fromUtf8("Es gibt nichts zu drucken: Es ist kein Fragebogen geöffnet.\r\n"
                                   "Wählen Sie zuerst in der Übersicht einen Fragebogen."));
    }

    void program_data() {
        QTest::addColumn<QStringList>("args"); QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // in standard error; or the title on the PDF
        QTest::newRow("pdf") << QStringList{"--pdf", "%D/a.pdf", "%F"} << 0 << "Vokabeln Englisch";
        const QString q = QStringLiteral("--questionnaire");
        QTest::newRow("pdf of questionnaire 1") << QStringList{"--pdf", "%D/b.pdf", "%F", q, "1"} << 0
                                                << "Multiple Choice: Allgemeinwissen";
        QTest::newRow("file not readable") << QStringList{"--pdf", "%D/c.pdf", "%D/fehlt.vdr"} << 1
                                           << "Fehler beim Öffnen der Datei";
        QTest::newRow("pdf not writable") << QStringList{"--pdf", "%D/kein/d.pdf", "%F"} << 1
            << "Die PDF-Datei \"%D/kein/d.pdf\" konnte nicht geschrieben werden.";
        QTest::newRow("no such questionnaire") << QStringList{"--pdf", "%D/e.pdf", "%F", q, "9"}
            << 2 << "Fragebogen 9 gibt es nicht; die Datei hat die Fragebögen 0 bis 5.";
        QTest::newRow("wrong command line") << QStringList{"--pdf", "%D/e.pdf", "%F", q, "x"}
            << 2 << "--questionnaire braucht eine Zahl ab 0.\nAufruf: quorvant --pdf AUSGABE.pdf DATEI.vdr";
        QTest::newRow("pdf over the training file") << QStringList{"--pdf", "%D/./beispiel.vdr", "%F"} << 2
                                                    << "Die PDF-Datei darf nicht die Trainingsdatei sein.";
        QTest::newRow("pdf is a hard link to the training file") << QStringList{"--pdf", "%D/hart.pdf", "%F"}
            << 2 << "Die PDF-Datei darf nicht die Trainingsdatei sein.";
        QTest::newRow("print dialog without a display") << QStringList{"--print", "%F"} << 1
            << "Ohne Bildschirm kann der Druckdialog nicht gezeigt werden.";
    }

    void program() {
        NEEDS_PROGRAM();
        QFETCH(QStringList, args); QFETCH(int, status); QFETCH(QString, message);
        const std::string before = testfiles::ReadBytes(m_strFile.toStdString());
        QString errors;
        QCOMPARE(Run(args, &errors), status);
        QVERIFY(testfiles::ReadBytes(m_strFile.toStdString()) == before);
        message.replace(QStringLiteral("%D"), m_dir.path());
        if (status != 0)
            QVERIFY2(errors.contains(message), qPrintable(errors));
        else
            QVERIFY(PdfText({"-l", "1", args[1].replace("%D", m_dir.path())}).contains(message));
    }

    void handedToTheRunningProgram() {
        NEEDS_PROGRAM();
        // "We" are the running program; a later start hands its print request over and ends.
        cInstanceServer server(InstanceServerName(QFileInfo(programrun::ProgramPath()).canonicalPath()));
        QVERIFY(server.Listen());
        QSignalSpy printed(&server, &cInstanceServer::PrintRequested);
        // With the print dialog: the running program shows it, this start shows nothing.
        QCOMPARE(Run({"--print", "%F"}), 0);
        QCOMPARE(printed.count(), 1);
        QCOMPARE(printed.at(0), QVariantList({QStringList{m_strFile}, QString()}));
        // A printer that does not exist, or a file that cannot be read, fails here with its
        // message, before anything is handed on.
        QString errors;
        QCOMPARE(Run({"--print-to", "Kein Drucker", "%F"}, &errors), 1);
        QVERIFY(errors.contains(QStringLiteral("Den Drucker \"Kein Drucker\" gibt es nicht.")));
        QCOMPARE(Run({"--print", "%D/fehlt.vdr"}, &errors), 1);
        QVERIFY(errors.contains(QString::fromUtf8("Fehler beim Öffnen der Datei")));
        QCOMPARE(printed.count(), 1);
    }

    void printToInstalledPdfPrinter() {
        NEEDS_PROGRAM();
        // Only a printer that writes files: a test never puts paper in a tray.
        const QStringList names = QPrinterInfo::availablePrinterNames();
        const auto pdf = std::find_if(names.begin(), names.end(), [](const QString& name) {
            return name.contains(QStringLiteral("pdf"), Qt::CaseInsensitive);
        });
        if (pdf == names.end())
            QSKIP("no PDF printer (CUPS-PDF) is installed on this machine");
        QCOMPARE(Run({"--print-to", *pdf, "%F"}), 0);
    }
};

QTEST_MAIN(tst_Printing)
#include "tst_printing.moc"
