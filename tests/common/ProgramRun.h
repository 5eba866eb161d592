#pragma once
// Runs the built window program without a display, as a terminal user or a script would.

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStringList>

namespace programrun {

inline QString ProgramPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../shell/quorvant"));
}

// "%D" in an argument stands for dir, "%F" for file. Returns the exit code, -1 after a
// crash or a time-out; errors receives standard error.
inline int Run(QStringList args, const QString& dir, const QString& file, QString* errors = nullptr) {
    for (QString& arg : args)
        arg.replace(QStringLiteral("%F"), file).replace(QStringLiteral("%D"), dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(ProgramPath(), args);
    // The event loop keeps running, so that a test's own server can take a hand-over.
    QSignalSpy finished(&process, &QProcess::finished);
    if (!finished.wait(60000))
        process.kill();
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace programrun
