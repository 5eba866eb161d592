// The printout on paper: a questionnaire of 70 tasks printed to PDF and read back with
// pdftotext (pages, titles, page numbers, page breaks, print selections), the font's
// pixel height on a 600 dpi PDF, page ranges, message 103 once per job and the refusal
// of a printout without a questionnaire.

#include "common/RecordingPresenter.h"
#include "common/TaskBuilders.h"
#include "data/Document.h"
#include "practice/Query.h"
#include "practice/ui/PrintView.h"
#include "shell/Settings.h"
#include "shell/ui/Text.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

namespace {

const char* const kTitle = "Prüfung Übersicht";

// A measure that only makes the layout place tasks; widths do not move them.
class cNoMeasure : public cTextMeasure {
public:
    int TextWidth(const std::string& text) const override { return int(text.size()); }
    int TextHeight() const override { return 1; }
};

// 70 tasks of 1 to 3 question lines (long ones wrap) and 1 to 3 solution lines, with
// counters that make the three print selections differ; questionnaire 1 holds them all.
struct PrintFixture {
    cDocument doc;
    cSettings settings;
    cQueryHost host;
    std::unique_ptr<cQuery> query;

    explicit PrintFixture(int selection)
    {
        doc.NewDocument();
        cQuestionnaire q;
        q.m_strTitle = testdata::W(kTitle);
        for (int i = 0; i < 70; ++i) {
            std::string question = "Frage " + std::to_string(i + 1) + ": Was gilt hier";
            for (int w = 0; w < (i % 3) * 12; ++w)
                question += " Wort";
            std::string solution = "Antwort " + std::to_string(i + 1);
            for (int l = 0; l < i % 3; ++l)
                solution += "\r\nweitere Zeile";
            cTask t = testdata::TextTask(std::to_string(i + 1), question + "?", solution);
            t.m_nStats[0] = static_cast<std::uint32_t>(i % 4);
            t.m_nStats[1] = static_cast<std::uint32_t>(i % 3);
            doc.m_data.m_aTasks.push_back(t);
            q.m_aTaskIndex.push_back(static_cast<std::uint32_t>(i));
        }
        doc.m_data.m_aQuestionnaires.push_back(q);
        settings.m_nPrintSelection = selection;
        query = std::make_unique<cQuery>(doc, settings, host);
        query->LoadQuestionnaire(static_cast<int>(doc.m_data.m_aQuestionnaires.size()) - 1);
    }
};

QString Tool(const QString& name, const QStringList& args)
{
    QProcess process;
    process.start(name, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page as laid out, split where pdftotext puts its form feeds.
QStringList PdfPages(const QString& pdf)
{
    QStringList pages =
        Tool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

std::set<int> TaskNumbers(const QString& text)
{
    std::set<int> numbers;
    static const QRegularExpression marker(QStringLiteral("Frage (\\d+):"));
    for (auto it = marker.globalMatch(text); it.hasNext();)
        numbers.insert(it.next().captured(1).toInt());
    return numbers;
}

} // namespace

class tst_PrintView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pagesOfTheCoreLayout_data();
    void pagesOfTheCoreLayout();
    void fontHeightAt600Dpi();
    void rangeAndMessage103OncePerJob();
    void refusedWithoutQuestionnaire();

private:
    QTemporaryDir m_dir;
};

void tst_PrintView::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils, installed by scripts/deps.sh) is missing");
}

void tst_PrintView::pagesOfTheCoreLayout_data()
{
    QTest::addColumn<int>("selection");
    QTest::newRow("all tasks") << 0;
    QTest::newRow("wrong at least once") << 1;
    QTest::newRow("more often wrong than right") << 2;
}

void tst_PrintView::pagesOfTheCoreLayout()
{
    QFETCH(int, selection);
    PrintFixture f(selection);
    const QString pdf = m_dir.filePath(QStringLiteral("auswahl%1.pdf").arg(selection));
    QVERIFY(WritePrintPdf(pdf, *f.query));
    const QStringList pages = PdfPages(pdf);
    QCOMPARE(pages.size(), f.query->PrintPageCount());
    QVERIFY(pages.size() > 1);

    std::set<int> printed;
    const cPrintRect rect = PrintRectangle(cPrintDevice{});
    for (int p = 1; p <= pages.size(); ++p) {
        const QStringList lines = pages[p - 1].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first().trimmed(), QString::fromUtf8(kTitle));
        QCOMPARE(lines.last().trimmed(), QString::number(p));
        // Each page holds exactly the tasks the core's layout puts on it.
        std::set<int> expected;
        for (const cPrintTaskBox& box : f.query->LayoutPrintPage(rect, p, cNoMeasure()).tasks)
            expected.insert(int(box.task) + 1);
        const std::set<int> onPage = TaskNumbers(pages[p - 1]);
        QVERIFY2(onPage == expected, qPrintable(QStringLiteral("page %1").arg(p)));
        printed.insert(onPage.begin(), onPage.end());
    }
    // The selection decides which tasks print, by the counters of wrong and right answers.
    std::set<int> wanted;
    for (int i = 0; i < 70; ++i) {
        const int wrong = i % 4;
        const int right = i % 3;
        if (selection == 0 || (selection == 1 && wrong != 0) || (selection == 2 && wrong > right))
            wanted.insert(i + 1);
    }
    QVERIFY(printed == wanted);
}

void tst_PrintView::fontHeightAt600Dpi()
{
    PrintFixture f(0);
    const QString pdf = m_dir.filePath(QStringLiteral("schrift.pdf"));
    QVERIFY(WritePrintPdf(pdf, *f.query, 600));

    // A4 at 600 dpi: print rectangle 236..6661, so 29 and 685 tenths of a point, which the
    // screen's resolution turns into pixels; at 96 dpi that is 91 printer pixels.
    const cPrintDevice a4{600, 600, 4961, 7016, 0, 0};
    const int tenths = PrintFontTenths(PrintRectangle(a4), a4);
    QCOMPARE(tenths, 685);
    const int expected = PrintFontPixelHeight(tenths, ScreenDpiY());
    if (ScreenDpiY() == 96)
        QCOMPARE(expected, 91);

    // pdftotext's word boxes span the font's ascent and descent, in points.
    const QString xml = Tool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf,
                                                           QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">Frage<"));
    const QRegularExpressionMatch m = word.match(xml);
    QVERIFY(m.hasMatch());
    const double boxPoints = m.captured(2).toDouble() - m.captured(1).toDouble();
    const QFontMetricsF metrics(PrintFont(1000));
    const double span = (metrics.ascent() + metrics.descent()) / 1000.0;
    const double pixels = boxPoints / span * 600.0 / 72.0;
    QVERIFY2(qAbs(pixels - expected) < 1.0,
             qPrintable(QStringLiteral("%1 px, expected %2").arg(pixels).arg(expected)));
}

void tst_PrintView::rangeAndMessage103OncePerJob()
{
    RecordingPresenter presenter;
    {
        // An unknown selection (a damaged settings file) prints nothing and says so once.
        PrintFixture f(7);
        for (int job = 1; job <= 2; ++job) {
            QVERIFY(WritePrintPdf(m_dir.filePath(QStringLiteral("unbekannt.pdf")), *f.query));
            QCOMPARE(presenter.boxes.size(), std::size_t(job));
            QCOMPARE(presenter.boxes.back().currentId, 103);
            QCOMPARE(presenter.boxes.back().text, std::string("Unbekannte Druckoption: 7"));
        }
    }
    PrintFixture f(0);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(QStringLiteral("bereich.pdf")));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    QVERIFY(PrintPages(printer, *f.query));
    const QStringList pages = PdfPages(printer.outputFileName());
    QCOMPARE(pages.size(), 2);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(pages[i].split(QLatin1Char('\n'), Qt::SkipEmptyParts).last().trimmed(),
                 QString::number(i + 2));
}

void tst_PrintView::refusedWithoutQuestionnaire()
{
    RecordingPresenter presenter;
    cDocument doc;
    doc.NewDocument();
    cSettings settings;
    cQueryHost host;
    cQuery query(doc, settings, host);
    QPrinter printer;
    // Neither the print dialog nor the preview opens (they would wait for a click).
    QVERIFY(!RunPrintDialog(printer, query, nullptr));
    RunPrintPreview(printer, query, nullptr);
    QVERIFY(!PrintWithoutDialog(printer, query));
    QCOMPARE(presenter.boxes.size(), std::size_t(3));
    for (const RecordedBox& box : presenter.boxes)
        QCOMPARE(ToQString(box.text),
                 QString::fromUtf8("Es gibt nichts zu drucken: Es ist kein Fragebogen geöffnet.\r\n"
                                   "Wählen Sie zuerst in der Übersicht einen Fragebogen."));
}

QTEST_MAIN(tst_PrintView)
#include "tst_printview.moc"
