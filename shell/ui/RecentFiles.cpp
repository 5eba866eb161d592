#include "shell/ui/RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace {

const QString kKey = QStringLiteral("RecentFiles/list");
constexpr qsizetype kMenuPathLength = 70;

std::unique_ptr<QSettings> OpenSettings(const QString& iniFile)
{
    if (!iniFile.isEmpty())
        return std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Quorvant"), QStringLiteral("Quorvant"));
}

} // namespace

cRecentFiles::cRecentFiles(QString iniFile) : m_strIniFile(std::move(iniFile))
{
    const QStringList stored = OpenSettings(m_strIniFile)->value(kKey).toStringList();
    for (const QString& path : stored) {
        if (path.isEmpty() || m_files.size() >= kMaxFiles)
            continue;
        bool seen = false;
        for (const QString& known : m_files)
            seen = seen || SameFile(known, path);
        if (!seen)
            m_files.append(path);
    }
}

bool cRecentFiles::SameFile(const QString& a, const QString& b)
{
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) ==
           QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

void cRecentFiles::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    m_files.removeIf([&](const QString& known) { return SameFile(known, absolute); });
    m_files.prepend(absolute);
    while (m_files.size() > kMaxFiles)
        m_files.removeLast();
    Store();
}

void cRecentFiles::Remove(const QString& path)
{
    if (m_files.removeIf([&](const QString& known) { return SameFile(known, path); }) > 0)
        Store();
}

void cRecentFiles::Store() const
{
    auto settings = OpenSettings(m_strIniFile);
    settings->setValue(kKey, m_files);
    settings->sync();
}

QString cRecentFiles::MenuText(int index, const QString& path)
{
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > kMenuPathLength) {
        const qsizetype keep = (kMenuPathLength - 3) / 2;
        shown = shown.left(keep) + QStringLiteral("...") + shown.right(keep);
    }
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const int number = index + 1;
    QString prefix;
    if (number < 10)
        prefix = QStringLiteral("&%1").arg(number);
    else if (number == 10)
        prefix = QStringLiteral("1&0");
    else
        prefix = QString::number(number);
    return prefix + QLatin1Char(' ') + shown;
}
