// One program per user: the hand-over of files from a later start to the running
// program over a local socket, stale socket names, hostile clients, and the command line.

#include "shell/ui/SingleInstance.h"

#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "ui/MessageBoxPresenter.h"
#include "ui/ProgramDir.h"
#include "shell/ui/VendrillApp.h"

#include <QtWidgets>
#include <QtNetwork>
#include <QtTest>

#include <atomic>
#include <thread>

#include <unistd.h>

namespace {

// A socket path in a folder only this user may enter, as the program's own.
QString UniqueName() {
    static QTemporaryDir folder;
    return folder.filePath(QStringLiteral("quorvant-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12));
}

// Runs python3 as the user "nobody" on a socket path; its standard output.
QByteArray AsStranger(const char* script, const QString& path, int waitMs) {
    QProcess python;
    python.start("python3", {"-c", QByteArray("import os,socket,sys; os.setgid(65534); os.setuid(65534)\n") + script, path});
    python.waitForFinished(waitMs);
    return python.readAllStandardOutput();
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
    QElapsedTimer clock; clock.start();
    while (result < 0 && clock.elapsed() < 8000)
        QTest::qWait(10);
    sender.join();
    return result == 1;
}

// Presses the default button of every message box that comes up and keeps its text.
struct BoxCloser : QObject {
    QStringList texts;
    QTimer timer;
    BoxCloser() {
        connect(&timer, &QTimer::timeout, this, [this] {
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
        timer.start(15);
    }
};

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT
private slots:
    void oneListenerTakesOnlyHandOvers() {
        const QString name = UniqueName();
        QVERIFY(!SendToRunningInstance(name, {QStringLiteral("/a.vdr")}, 500)); // nobody listening
        // A program that crashed leaves its socket file behind; nobody answers there.
        QProcess python;
        const char* bind = "import socket,sys; s=socket.socket(socket.AF_UNIX); s.bind(sys.argv[1])";
        python.start("python3", {"-c", bind, name});
        QVERIFY(python.waitForFinished(10000));
        QCOMPARE(python.exitCode(), 0);
        QVERIFY(QFileInfo::exists(name));

        cInstanceServer first(name), second(name);
        QVERIFY(first.Listen() && first.IsListening());
        QVERIFY(!second.Listen() && !second.IsListening());

        // A stranger is turned away; the server still serves the real program afterwards.
        QSignalSpy received(&first, &cInstanceServer::FilesReceived);
        QSignalSpy printed(&first, &cInstanceServer::PrintRequested);
        QLocalSocket stranger;
        stranger.connectToServer(name);
        QVERIFY(stranger.waitForConnected(2000));
        stranger.write("GET / HTTP/1.0\r\n\r\nEND\n"); stranger.flush();
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(received.count() + printed.count(), 0);
        // Files (none: just show the window), and print requests to a printer or with the dialog.
        const std::tuple<QStringList, bool, QString> handOvers[] = {
            {{"/home/u/vokabeln.vdr"}, false, ""}, {{"/home/ü/Prüfung Teil 1.vdr", "/b.vdr"}, false, ""},
            {{}, false, ""}, {{"/a.vdr"}, true, "Büro 2 PDF"}, {{"/a.vdr"}, true, ""},
            {{"/d/a\nb.vdr", "/d/END\n", "/d/\tF9\n.vdr"}, false, ""}, {{"/d/x\ny.vdr"}, true, "P\n"}};
        for (const auto& [files, print, printer] : handOvers) {
            QVERIFY(SendFromThread(name, files, print, printer));
            QTRY_COMPARE(received.count() + printed.count(), 1);
            QCOMPARE((print ? printed : received).takeFirst(),
                     print ? QVariantList({files, printer}) : QVariantList({files}));
        }
    }

    void nameFollowsUserAndSession_data() {
        // Environments of two starts ("VAR=value", blank-separated); whether they share a program.
        QTest::addColumn<QString>("first"); QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("same display") << "DISPLAY=:0" << "DISPLAY=:0" << true;
        QTest::newRow("other display") << "DISPLAY=:0" << "DISPLAY=:1" << false;
        QTest::newRow("other screen of the display") << "DISPLAY=:0.0" << "DISPLAY=:0.1" << true;
        QTest::newRow("other Wayland session")
            << "WAYLAND_DISPLAY=wayland-0 DISPLAY=:0" << "WAYLAND_DISPLAY=wayland-1 DISPLAY=:0" << false;
        QTest::newRow("launcher without session id") << "DISPLAY=:0 XDG_SESSION_ID=3" << "DISPLAY=:0"
                                                     << true;
        QTest::newRow("other login session, no display") << "XDG_SESSION_ID=3" << "XDG_SESSION_ID=4"
                                                         << false;
        QTest::newRow("other user") << "DISPLAY=:0 USER=anna" << "DISPLAY=:0 USER=ben" << false;
    }

    void nameFollowsUserAndSession() {
        QFETCH(QString, first); QFETCH(QString, second); QFETCH(bool, same);
        QTemporaryDir runtime;
        const QByteArrayList vars{"USER", "WAYLAND_DISPLAY", "DISPLAY", "XDG_SESSION_ID", "XDG_RUNTIME_DIR"};
        QMap<QByteArray, QByteArray> saved;
        for (const QByteArray& var : vars)
            saved[var] = qgetenv(var.constData());
        auto nameWith = [&](const QString& env) {
            for (const QByteArray& var : vars)
                qunsetenv(var.constData());
            qputenv("USER", "quorvant");
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
            for (const QString& entry : env.split(' '))
                qputenv(entry.section('=', 0, 0).toLatin1().constData(), entry.section('=', 1).toUtf8());
            return InstanceServerName(QStringLiteral("/opt/quorvant/"));
        };
        const QString a = nameWith(first), b = nameWith(second);
        for (const QByteArray& var : vars)
            saved[var].isNull() ? qunsetenv(var.constData()) : qputenv(var.constData(), saved[var]);
        QCOMPARE(a == b, same);
        // The socket lies in the user's runtime folder.
        QVERIFY(a.startsWith(runtime.path() + QLatin1Char('/')));
    }

    void strangersNeverMeetTheHandOver() {
        // Without a runtime folder the socket lies in a private folder of the user's own.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), tmp = qgetenv("TMPDIR");
        QTemporaryDir temp, shared;
        QVERIFY(QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7777)));
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        const QString name = InstanceServerName(QStringLiteral("/opt/quorvant/"));
        const QString own = temp.filePath(QStringLiteral("quorvant-%1").arg(getuid()));
        QCOMPARE(QFileInfo(name).path(), own);
        QCOMPARE(int(QFileInfo(own).permissions() & 0x7077), 0x7000);
        // One that someone else made there first is never used.
        QVERIFY(QFile::remove(own) || QDir(own).removeRecursively());
        QVERIFY(QDir().mkdir(own) && chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);
        QCOMPARE(InstanceServerName(QStringLiteral("/opt/quorvant/")), QString());
        qputenv("TMPDIR", tmp);
        runtime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtime);

        // Another user's listener, even where this user may reach it, gets nothing.
        const QString foreign = shared.filePath(QStringLiteral("fremd"));
        std::atomic<bool> sent{true};
        std::thread sender([&] {
            QThread::msleep(800);
            sent = SendToRunningInstance(foreign, {QStringLiteral("/geheim.vdr")}, 1000);
        });
        const QByteArray heard = AsStranger(
            "s=socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); os.chmod(sys.argv[1],0o777); s.listen(1);"
            " s.settimeout(3)\ntry:\n c,_=s.accept(); c.settimeout(2); print(c.recv(999)); c.send(b'OK\\n')\n"
            "except Exception: pass", foreign, 8000);
        sender.join();
        QVERIFY(!sent);
        QCOMPARE(heard, QByteArray());
        // And a stranger who reaches this program's socket is turned away.
        const QString mine = shared.filePath(QStringLiteral("meins"));
        cInstanceServer server(mine);
        QVERIFY(server.Listen());
        QVERIFY(QFile::setPermissions(mine, QFileDevice::Permissions(0x7777)));
        QSignalSpy received(&server, &cInstanceServer::FilesReceived);
        QProcess stranger;
        stranger.start("python3", {"-c", "import os,socket,sys; os.setgid(65534); os.setuid(65534); "
                                         "s=socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); "
                                         "s.sendall(b'QUORVANT-OPEN 2\\nF6\\n/a.vdrEND\\n')\ntry: print(s.recv(9))\n"
                                         "except OSError: print(b'')", mine});
        QTRY_COMPARE_WITH_TIMEOUT(stranger.state(), QProcess::NotRunning, 8000);
        QCOMPARE(stranger.readAllStandardOutput(), QByteArray("b''\n"));
        QCOMPARE(received.count(), 0);
    }

    void badFileHandedOverBehavesLikeOpen() {
        // A picture renamed to .vdr, opened with Ctrl+O and then handed over by a second real
        // program: the same boxes, no window for it, the file untouched, the program alive.
        const QString exe = QCoreApplication::applicationDirPath() + "/../shell/quorvant";
        if (!QFileInfo(exe).isExecutable())
            QSKIP("the program is not built beside the tests");
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir dir; SetProgramDirPath(dir.path());
        const QString bad = dir.filePath(QStringLiteral("bild.vdr"));
        const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + QByteArray(200, 'x');
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(png) == png.size());
        file.close();

        cMessageBoxPresenter presenter; SetMessagePresenter(&presenter);
        CMainFrame frame(dir.filePath(QStringLiteral("recent.ini")));
        frame.show();
        frame.SetFileChooser([&](CMainFrame::FileChoice, const QString&) { return bad; });
        BoxCloser closer;
        frame.Action(cmd::kFileOpen)->trigger();
        const QStringList viaOpen = closer.texts;
        QVERIFY(!viaOpen.isEmpty() && frame.Children().isEmpty());
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
        QEventLoop loop; QTimer poll;
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
        QVERIFY(frame.Children().isEmpty() && frame.RecentFiles().Files().isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), png);
        SetMessagePresenter(nullptr); SetProgramDirPath({});
    }

    void commandLineFiles() {
        // The arguments after the program's name, and the files they name from /work.
        const std::pair<QStringList, QStringList> rows[] = {
            {{}, {}}, {{"/d/a.vdr"}, {"/d/a.vdr"}}, {{"sub/../a.vdr"}, {"/work/a.vdr"}},
            {{"--print", "b.vdr", "-x"}, {"/work/b.vdr"}}, // options skipped
            {{"file:///d/Pr%C3%BCfung.vdr"}, {"/d/Prüfung.vdr"}},
            {{"a.vdr", "/b.vdr"}, {"/work/a.vdr", "/b.vdr"}}, {{""}, {}}};
        for (const auto& [arguments, files] : rows)
            QCOMPARE(CommandLineFiles(QStringList{"quorvant"} + arguments, QStringLiteral("/work")), files);
    }
};

QTEST_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
