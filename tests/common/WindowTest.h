#pragma once
// Set-up shared by the window tests: texts from UTF-8, controls by their number, a
// writable copy of the bundled sample file and a shown main window over a folder of its
// own.

#include "shell/ui/MainFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

namespace windowtest {

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

/// The control numbered id ("ctl<id>") inside a window.
template <class T> T* Ctl(const QWidget& window, int id) {
    return window.findChild<T*>(QStringLiteral("ctl%1").arg(id));
}

/// A writable copy of the sample training file as dir/name (folders made as needed).
inline QString CopySample(const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(QUORVANT_SOURCE_DIR "/resources/beispiel.vdr"), path))
        qFatal("cannot copy the sample file");
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

/// A main window that keeps its recent-file list in dir, shown at a fixed size.
inline std::unique_ptr<CMainFrame> ShowFrame(const QString& dir) {
    auto frame = std::make_unique<CMainFrame>(QDir(dir).filePath(QStringLiteral("recent.ini")));
    frame->resize(1000, 700);
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get()))
        qWarning("main window not exposed");
    return frame;
}

} // namespace windowtest
