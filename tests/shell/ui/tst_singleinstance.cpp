// One program per user: the hand-over of files from a later start to the running
// program over a local socket, stale socket names, hostile clients, and the command line.

#include "shell/ui/SingleInstance.h"

#include "shell/ui/VendrillApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <atomic>
#include <thread>

namespace {

QString UniqueName()
{
    return QStringLiteral("quorvant-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// Runs the sending side on a thread of its own, as a second program would, while the
// test's event loop serves the receiving side. With print, a print request to printer.
bool SendFromThread(const QString& name, const QStringList& files, bool print = false,
                    const QString& printer = {})
{
    std::atomic<int> result{-1};
    std::thread sender([&] {
        result = print ? SendPrintToRunningInstance(name, files, printer, 3000)
                       : SendToRunningInstance(name, files, 3000);
    });
    QElapsedTimer clock;
    clock.start();
    while (result < 0 && clock.elapsed() < 8000)
        QTest::qWait(10);
    sender.join();
    return result == 1;
}

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT
private slots:
    void firstStartListensSecondDoesNot();
    void filesAreHandedOver_data();
    void filesAreHandedOver();
    void nobodyListening();
    void staleNameIsTakenOver();
    void strangerIsTurnedAway();
    void secondProgramHandsItsFileOver();
    void commandLineFiles_data();
    void commandLineFiles();
};

void tst_SingleInstance::firstStartListensSecondDoesNot()
{
    const QString name = UniqueName();
    cInstanceServer first(name);
    QVERIFY(first.Listen());
    QVERIFY(first.IsListening());
    cInstanceServer second(name);
    QVERIFY(!second.Listen());
    QVERIFY(!second.IsListening());
}

void tst_SingleInstance::filesAreHandedOver_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("print");
    QTest::addColumn<QString>("printer");
    QTest::newRow("one") << QStringList{QStringLiteral("/home/u/vokabeln.vdr")} << false << "";
    QTest::newRow("umlauts and blanks")
        << QStringList{QString::fromUtf8("/home/ü/Prüfung Teil 1.vdr"), QStringLiteral("/b.vdr")}
        << false << "";
    QTest::newRow("none: just show the window") << QStringList{} << false << "";
    QTest::newRow("print to a printer") << QStringList{"/a.vdr"} << true << "Büro 2 PDF";
    QTest::newRow("print with the dialog") << QStringList{"/a.vdr"} << true << "";
}

void tst_SingleInstance::filesAreHandedOver()
{
    QFETCH(QStringList, files);
    QFETCH(bool, print);
    QFETCH(QString, printer);
    const QString name = UniqueName();
    cInstanceServer server(name);
    QVERIFY(server.Listen());
    QSignalSpy opened(&server, &cInstanceServer::FilesReceived);
    QSignalSpy printed(&server, &cInstanceServer::PrintRequested);
    QVERIFY(SendFromThread(name, files, print, printer));
    QTRY_COMPARE(opened.count() + printed.count(), 1);
    QCOMPARE((print ? printed : opened).at(0),
             print ? QVariantList({files, printer}) : QVariantList({files}));
}

void tst_SingleInstance::nobodyListening()
{
    QVERIFY(!SendToRunningInstance(UniqueName(), {QStringLiteral("/a.vdr")}, 500));
}

void tst_SingleInstance::staleNameIsTakenOver()
{
    // A program that crashed leaves its socket file behind; nobody answers there.
    const QString name = UniqueName();
    const QString path = QDir::temp().filePath(name);
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import socket,sys; s=socket.socket(socket.AF_UNIX); "
                                 "s.bind(sys.argv[1])"),
                  path});
    QVERIFY(python.waitForFinished(10000));
    QCOMPARE(python.exitCode(), 0);
    QVERIFY(QFileInfo::exists(path));

    cInstanceServer server(name);
    QVERIFY(server.Listen());
    QSignalSpy received(&server, &cInstanceServer::FilesReceived);
    QVERIFY(SendFromThread(name, {QStringLiteral("/x.vdr")}));
    QTRY_COMPARE(received.count(), 1);
}

void tst_SingleInstance::strangerIsTurnedAway()
{
    const QString name = UniqueName();
    cInstanceServer server(name);
    QVERIFY(server.Listen());
    QSignalSpy received(&server, &cInstanceServer::FilesReceived);
    QLocalSocket stranger;
    stranger.connectToServer(name);
    QVERIFY(stranger.waitForConnected(2000));
    stranger.write("GET / HTTP/1.0\r\n\r\nEND\n");
    stranger.flush();
    QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(received.count(), 0);

    // The server still serves the real program afterwards.
    QVERIFY(SendFromThread(name, {QStringLiteral("/y.vdr")}));
    QTRY_COMPARE(received.count(), 1);
}

void tst_SingleInstance::secondProgramHandsItsFileOver()
{
    // The real program, started while "we" are the running one, gives us its file and ends.
    const QString exe =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../shell/quorvant"));
    if (!QFileInfo(exe).isExecutable())
        QSKIP("the program is not built beside the tests");
    const QString programDir = QFileInfo(exe).canonicalPath();
    cInstanceServer server(InstanceServerName(programDir));
    if (!server.Listen())
        QSKIP("a Quorvant from this build is running already");
    QSignalSpy received(&server, &cInstanceServer::FilesReceived);

    QTemporaryDir dir;
    QProcess second;
    second.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(exe, {QStringLiteral("relativ.vdr")});
    QVERIFY(second.waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 1, 15000);
    // The relative name arrives as a full path, seen from where the program was started.
    QCOMPARE(received.at(0).at(0).toStringList(),
             QStringList{QDir(dir.path()).filePath(QStringLiteral("relativ.vdr"))});
    if (second.state() != QProcess::NotRunning && !second.waitForFinished(10000)) {
        second.kill();
        QFAIL("the second program did not end");
    }
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
}

void tst_SingleInstance::commandLineFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("files");
    const QString exe = QStringLiteral("quorvant");
    QTest::newRow("none") << QStringList{exe} << QStringList{};
    QTest::newRow("absolute") << QStringList{exe, "/d/a.vdr"} << QStringList{"/d/a.vdr"};
    QTest::newRow("relative") << QStringList{exe, "sub/../a.vdr"} << QStringList{"/work/a.vdr"};
    QTest::newRow("options skipped")
        << QStringList{exe, "--print", "b.vdr", "-x"} << QStringList{"/work/b.vdr"};
    QTest::newRow("file url") << QStringList{exe, "file:///d/Pr%C3%BCfung.vdr"}
                              << QStringList{QString::fromUtf8("/d/Prüfung.vdr")};
    QTest::newRow("two") << QStringList{exe, "a.vdr", "/b.vdr"}
                         << QStringList{"/work/a.vdr", "/b.vdr"};
    QTest::newRow("empty argument") << QStringList{exe, ""} << QStringList{};
}

void tst_SingleInstance::commandLineFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, files);
    QCOMPARE(CommandLineFiles(arguments, QStringLiteral("/work")), files);
}

QTEST_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
