#include "shell/ui/ProgramDir.h"

#include "shell/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString& OverriddenDir()
{
    static QString dir;
    return dir;
}

QString WithSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

QString ProgramDirPath()
{
    if (!OverriddenDir().isEmpty())
        return OverriddenDir();
    return WithSlash(QCoreApplication::applicationDirPath());
}

void SetProgramDirPath(const QString& dir)
{
    OverriddenDir() = dir.isEmpty() ? QString() : WithSlash(dir);
}

QString SettingsFilePath(const QString& programDir)
{
    const QString name = QString::fromLatin1(kSettingsFileName);
    const QFileInfo dir(programDir);
    if (dir.isDir() && dir.isWritable())
        return WithSlash(programDir) + name;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return WithSlash(config) + name;
}
