#include "ui/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>

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
