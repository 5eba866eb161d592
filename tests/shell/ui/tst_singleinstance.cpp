// One program per user: the hand-over of files from a later start to the running
// program over a local socket, stale socket names, hostile clients, and the command line.

#include "shell/ui/SingleInstance.h"

#include "shell/ui/ChildFrame.h"
#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "ui/MessageBoxPresenter.h"
#include "ui/ProgramDir.h"
#include "shell/ui/VendrillApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <atomic>
#include <thread>

namespace {

QString UniqueName() {
    return QStringLiteral("quorvant-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// Runs the sending side on a thread of its own, as a second program would, while the
// test's event loop serves the receiving side. With print, a print request to printer.
bool SendFromThread(const QString& name, const QStringList& files, bool print = false,
                    const QString& printer = {}) {
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

// The real program beside the tests, or an empty text when it is not built.
QString ProgramExe() {
    const QString exe =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../shell/quorvant"));
    return QFileInfo(exe).isExecutable() ? exe : QString();
}

// Presses the default button of every message box that comes up and keeps its text.
class BoxCloser : public QObject {
public:
    BoxCloser() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->property("seen").toBool())
                return;
            box->setProperty("seen", true);
            texts << box->windowTitle() + QLatin1Char('|') + box->text();
            // Slowly, as a person reads: the second program has ended meanwhile.
            QTimer::singleShot(400, box, [b = QPointer<QMessageBox>(box)] {
                if (b && b->defaultButton())
                    b->defaultButton()->click();
            });
        });
        m_timer.start(15);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT
private slots:
    void oneListenerTakesOnlyHandOvers();
    void nameFollowsUserAndSession_data();
    void nameFollowsUserAndSession();
    void filesAreHandedOver_data();
    void filesAreHandedOver();
    void badFileHandedOverBehavesLikeOpen();
    void commandLineFiles_data();
    void commandLineFiles();
};

void tst_SingleInstance::oneListenerTakesOnlyHandOvers() {
    const QString name = UniqueName();
    QVERIFY(!SendToRunningInstance(name, {QStringLiteral("/a.vdr")}, 500)); // nobody listening
    // A program that crashed leaves its socket file behind; nobody answers there.
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import socket,sys; s=socket.socket(socket.AF_UNIX); "
                                 "s.bind(sys.argv[1])"),
                  QDir::temp().filePath(name)});
    QVERIFY(python.waitForFinished(10000));
    QCOMPARE(python.exitCode(), 0);
    QVERIFY(QFileInfo::exists(QDir::temp().filePath(name)));

    cInstanceServer first(name);
    QVERIFY(first.Listen());
    QVERIFY(first.IsListening());
    cInstanceServer second(name);
    QVERIFY(!second.Listen());
    QVERIFY(!second.IsListening());

    // A stranger is turned away; the server still serves the real program afterwards.
    QSignalSpy received(&first, &cInstanceServer::FilesReceived);
    QLocalSocket stranger;
    stranger.connectToServer(name);
    QVERIFY(stranger.waitForConnected(2000));
    stranger.write("GET / HTTP/1.0\r\n\r\nEND\n");
    stranger.flush();
    QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(received.count(), 0);
    QVERIFY(SendFromThread(name, {QStringLiteral("/y.vdr")}));
    QTRY_COMPARE(received.count(), 1);
}

void tst_SingleInstance::nameFollowsUserAndSession_data() {
    // Environments of two starts, "VAR=value" each; whether they share one program.
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<bool>("same");
    QTest::newRow("same display") << QStringList{"DISPLAY=:0"} << QStringList{"DISPLAY=:0"}
                                  << true;
    QTest::newRow("other display") << QStringList{"DISPLAY=:0"} << QStringList{"DISPLAY=:1"}
                                   << false;
    QTest::newRow("other screen of the display")
        << QStringList{"DISPLAY=:0.0"} << QStringList{"DISPLAY=:0.1"} << true;
    QTest::newRow("other Wayland session")
        << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
        << QStringList{"WAYLAND_DISPLAY=wayland-1", "DISPLAY=:0"} << false;
    QTest::newRow("launcher without session id")
        << QStringList{"DISPLAY=:0", "XDG_SESSION_ID=3"} << QStringList{"DISPLAY=:0"} << true;
    QTest::newRow("other login session, no display")
        << QStringList{"XDG_SESSION_ID=3"} << QStringList{"XDG_SESSION_ID=4"} << false;
    QTest::newRow("other user") << QStringList{"DISPLAY=:0", "USER=anna"}
                                << QStringList{"DISPLAY=:0", "USER=ben"} << false;
}

void tst_SingleInstance::nameFollowsUserAndSession() {
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(bool, same);
    QTemporaryDir runtime;
    const QList<QByteArray> vars = {"USER", "WAYLAND_DISPLAY", "DISPLAY", "XDG_SESSION_ID",
                                    "XDG_RUNTIME_DIR"};
    QMap<QByteArray, QByteArray> saved;
    for (const QByteArray& var : vars)
        saved[var] = qgetenv(var.constData());
    auto nameWith = [&](const QStringList& env) {
        for (const QByteArray& var : vars)
            qunsetenv(var.constData());
        qputenv("USER", "quorvant");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        for (const QString& entry : env)
            qputenv(entry.section(QLatin1Char('='), 0, 0).toLatin1().constData(),
                    entry.section(QLatin1Char('='), 1).toUtf8());
        return InstanceServerName(QStringLiteral("/opt/quorvant/"));
    };
    const QString a = nameWith(first);
    const QString b = nameWith(second);
    for (const QByteArray& var : vars)
        saved[var].isNull() ? qunsetenv(var.constData()) : qputenv(var.constData(), saved[var]);
    QCOMPARE(a == b, same);
    // The socket lies in the user's runtime folder.
    QVERIFY(a.startsWith(runtime.path() + QLatin1Char('/')));
}

void tst_SingleInstance::filesAreHandedOver_data() {
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

void tst_SingleInstance::filesAreHandedOver() {
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

void tst_SingleInstance::badFileHandedOverBehavesLikeOpen() {
    // A picture renamed to .vdr, opened with Ctrl+O and then handed over by a second real
    // program: the same boxes, no window for it, the file untouched, the program alive.
    const QString exe = ProgramExe();
    if (exe.isEmpty())
        QSKIP("the program is not built beside the tests");
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    SetProgramDirPath(dir.path());
    const QString bad = dir.filePath(QStringLiteral("bild.vdr"));
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + QByteArray(200, 'x');
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(png);
    file.close();

    cMessageBoxPresenter presenter;
    SetMessagePresenter(&presenter);
    CMainFrame frame(dir.filePath(QStringLiteral("recent.ini")));
    frame.show();
    frame.SetFileChooser([&](CMainFrame::FileChoice, const QString&) { return bad; });
    BoxCloser closer;
    frame.Action(cmd::kFileOpen)->trigger();
    const QStringList viaOpen = closer.texts;
    QVERIFY(!viaOpen.isEmpty());
    QCOMPARE(frame.Children().size(), 0);
    closer.texts.clear();

    cInstanceServer server(InstanceServerName(QFileInfo(exe).canonicalPath()));
    if (!server.Listen())
        QSKIP("a Quorvant from this build is running already");
    QObject::connect(&server, &cInstanceServer::FilesReceived, &frame,
                     &CMainFrame::OpenHandedFiles);
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(exe, {bad});
    QVERIFY(second.waitForStarted(10000));
    // A running event loop, as in the program, takes the connection before its data.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (closer.texts.size() >= viaOpen.size() && second.state() == QProcess::NotRunning)
            loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(closer.texts, viaOpen);
    QCOMPARE(second.exitCode(), 0);
    QTest::qWait(300);
    QCOMPARE(frame.Children().size(), 0);
    QVERIFY(frame.RecentFiles().Files().isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), png);
    SetMessagePresenter(nullptr);
    SetProgramDirPath({});
}

void tst_SingleInstance::commandLineFiles_data() {
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

void tst_SingleInstance::commandLineFiles() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, files);
    QCOMPARE(CommandLineFiles(arguments, QStringLiteral("/work")), files);
}

QTEST_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
