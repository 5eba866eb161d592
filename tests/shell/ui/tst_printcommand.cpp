// Print requests of the command line: how they are read, "--pdf" and "--print-to"
// through the real program (exit statuses, German messages, no display needed), and the
// hand-over of "--print" and "--print-to" to a program that is already running.

#include "shell/ui/PrintRequest.h"
#include "shell/ui/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Kind = cStartRequest::Kind;
Q_DECLARE_METATYPE(cStartRequest::Kind)

namespace {

QString Exe()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../shell/quorvant"));
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_PrintCommand : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void program_data();
    void program();
    void handedToTheRunningProgram();
    void printToInstalledPdfPrinter();

private:
    // Runs the program with args; "%D" stands for the temporary folder, "%F" for the
    // sample training file in it.
    int Run(QStringList args, bool display, QString* errors = nullptr);

    QTemporaryDir m_dir;
    QString m_strFile;
};

void tst_PrintCommand::initTestCase()
{
    if (!QFileInfo(Exe()).isExecutable())
        QSKIP("the program is not built beside the tests");
    m_strFile = m_dir.filePath(QStringLiteral("beispiel.vdr"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANT_SOURCE_DIR "/resources/beispiel.vdr"), m_strFile));
    // Sockets of the hand-over live in the temporary folder: a folder of our own keeps
    // these starts away from any Quorvant that is really running.
    qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
}

int tst_PrintCommand::Run(QStringList args, bool display, QString* errors)
{
    for (QString& arg : args)
        arg.replace(QStringLiteral("%F"), m_strFile).replace(QStringLiteral("%D"), m_dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(Exe(), args);
    QSignalSpy finished(&process, &QProcess::finished);
    // The event loop keeps running, so a test's own server can take a hand-over.
    if (!finished.wait(30000)) {
        process.kill();
        return -1;
    }
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void tst_PrintCommand::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("detail"); // file|printer|pdf|questionnaire, or the error

    QTest::newRow("open") << QStringList{"a.vdr"} << Kind::Open << "|||0";
    QTest::newRow("print") << QStringList{"--print", "a.vdr"} << Kind::Print << "/work/a.vdr|||0";
    QTest::newRow("print-to") << QStringList{"--print-to", "Büro 2", "file:///d/a.vdr"}
                              << Kind::PrintTo << "/d/a.vdr|Büro 2||0";
    QTest::newRow("pdf") << QStringList{"--pdf", "out/x.pdf", "/d/a.vdr", "--questionnaire", "2"}
                         << Kind::Pdf << "/d/a.vdr||/work/out/x.pdf|2";
    QTest::newRow("pdf without name") << QStringList{"--pdf"} << Kind::Invalid
                                      << "--pdf braucht den Namen der PDF-Datei.";
    QTest::newRow("printer without name") << QStringList{"--print-to"} << Kind::Invalid
                                          << "--print-to braucht den Namen eines Druckers.";
    QTest::newRow("questionnaire not a number")
        << QStringList{"--pdf", "x.pdf", "a.vdr", "--questionnaire", "zwei"} << Kind::Invalid
        << "--questionnaire braucht eine Zahl ab 0.";
    QTest::newRow("questionnaire without pdf")
        << QStringList{"--print", "a.vdr", "--questionnaire", "1"} << Kind::Invalid
        << "--questionnaire gilt nur zusammen mit --pdf.";
    QTest::newRow("two files") << QStringList{"--print", "a.vdr", "b.vdr"} << Kind::Invalid
                               << "Nur eine Trainingsdatei angeben.";
    QTest::newRow("no file") << QStringList{"--print-to", "P"} << Kind::Invalid
                             << "Keine Trainingsdatei angegeben.";
    QTest::newRow("two requests") << QStringList{"--print", "--pdf", "x.pdf", "a.vdr"}
                                  << Kind::Invalid
                                  << "Nur eine der Optionen --print, --print-to und --pdf angeben.";
    QTest::newRow("unknown option") << QStringList{"--print", "-x", "a.vdr"} << Kind::Invalid
                                    << "Unbekannte Option: -x";
    QTest::newRow("pdf over the training file")
        << QStringList{"--pdf", "a.vdr", "./sub/../a.vdr"} << Kind::Invalid
        << "Die PDF-Datei darf nicht die Trainingsdatei sein.";
}

void tst_PrintCommand::parse()
{
    QFETCH(QStringList, args);
    QFETCH(Kind, kind);
    QFETCH(QString, detail);
    args.prepend(QStringLiteral("quorvant"));
    const cStartRequest request = ParseStartRequest(args, QStringLiteral("/work"));
    QCOMPARE(request.kind, kind);
    if (kind == Kind::Invalid)
        QCOMPARE(request.error, detail);
    else
        QCOMPARE(QStringList({request.file, request.printer, request.pdfPath,
                              QString::number(request.questionnaire)})
                     .join(QLatin1Char('|')),
                 detail);
}

void tst_PrintCommand::program_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // part of standard error, or "" for none
    QTest::addColumn<QString>("title");   // on the PDF's first page, or "" for no PDF

    QTest::newRow("pdf") << QStringList{"--pdf", "%D/a.pdf", "%F"} << 0 << ""
                         << "Vokabeln Englisch";
    QTest::newRow("pdf of questionnaire 1")
        << QStringList{"--pdf", "%D/b.pdf", "%F", "--questionnaire", "1"} << 0 << ""
        << "Multiple Choice: Allgemeinwissen";
    QTest::newRow("file not readable") << QStringList{"--pdf", "%D/c.pdf", "%D/fehlt.vdr"} << 1
                                       << "Fehler beim Öffnen der Datei" << "";
    QTest::newRow("pdf not writable") << QStringList{"--pdf", "%D/kein/d.pdf", "%F"} << 1
                                      << "Die PDF-Datei \"%D/kein/d.pdf\" konnte nicht "
                                         "geschrieben werden." << "";
    QTest::newRow("no such questionnaire")
        << QStringList{"--pdf", "%D/e.pdf", "%F", "--questionnaire", "9"} << 2
        << "Fragebogen 9 gibt es nicht; die Datei hat die Fragebögen 0 bis 5." << "";
    QTest::newRow("wrong command line") << QStringList{"--pdf"} << 2
                                        << "Aufruf: quorvant --pdf AUSGABE.pdf DATEI.vdr" << "";
    QTest::newRow("pdf over the training file") << QStringList{"--pdf", "%F", "%F"} << 2
                                                << "nicht die Trainingsdatei" << "";
    QTest::newRow("print-to a file not readable")
        << QStringList{"--print-to", "Kein Drucker", "%D/fehlt.vdr"} << 1
        << "Fehler beim Öffnen der Datei" << "";
}

void tst_PrintCommand::program()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QString, title);
    const QByteArray before = FileBytes(m_strFile);
    QString errors;
    // A PDF needs no display at all; printing runs on the offscreen platform.
    QCOMPARE(Run(args, args.first() != QStringLiteral("--pdf"), &errors), status);
    if (!message.isEmpty())
        QVERIFY2(errors.contains(message.replace(QStringLiteral("%D"), m_dir.path())),
                 qPrintable(errors));
    QCOMPARE(FileBytes(m_strFile), before);
    if (title.isEmpty())
        return;
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-l"), QStringLiteral("1"), args[1].replace(QStringLiteral("%D"), m_dir.path()),
                QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    QCOMPARE(text.exitCode(), 0);
    QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains(title));
}

void tst_PrintCommand::handedToTheRunningProgram()
{
    // "We" are the running program; later starts hand their print requests over and end.
    const QString programDir = QFileInfo(Exe()).canonicalPath();
    cInstanceServer server(InstanceServerName(programDir));
    QVERIFY(server.Listen());
    QSignalSpy printed(&server, &cInstanceServer::PrintRequested);
    QSignalSpy opened(&server, &cInstanceServer::FilesReceived);

    // With the print dialog: the running program shows it, this start shows nothing.
    QCOMPARE(Run({"--print", "%F"}, true), 0);
    QCOMPARE(printed.count(), 1);
    QCOMPARE(printed.at(0).at(0).toStringList(), QStringList{m_strFile});
    QCOMPARE(printed.at(0).at(1).toString(), QString());

    // A printer that does not exist fails here, before anything is handed on.
    QString errors;
    QCOMPARE(Run({"--print-to", "Kein Drucker", "%F"}, true, &errors), 1);
    QVERIFY(errors.contains(QStringLiteral("Den Drucker \"Kein Drucker\" gibt es nicht.")));

    // So does a file that cannot be read, with the reading message.
    QCOMPARE(Run({"--print", "%D/fehlt.vdr"}, true, &errors), 1);
    QVERIFY(errors.contains(QString::fromUtf8("Fehler beim Öffnen der Datei")));
    QCOMPARE(printed.count(), 1);
    QCOMPARE(opened.count(), 0);
}

void tst_PrintCommand::printToInstalledPdfPrinter()
{
    // Only a printer that writes files is used: a test must never put paper in a tray.
    QString pdfPrinter;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        if (name.contains(QStringLiteral("pdf"), Qt::CaseInsensitive))
            pdfPrinter = name;
    if (pdfPrinter.isEmpty())
        QSKIP("no PDF printer (CUPS-PDF) is installed on this machine");
    QString errors;
    QCOMPARE(Run({"--print-to", pdfPrinter, "%F"}, true, &errors), 0);
    QVERIFY2(errors.isEmpty() || !errors.contains(QStringLiteral("Drucken")), qPrintable(errors));
}

QTEST_MAIN(tst_PrintCommand)
#include "tst_printcommand.moc"
