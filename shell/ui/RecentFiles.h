#pragma once
// The list of recently opened training files (16 entries), kept in the user's settings.

#include <QString>
#include <QStringList>

class cRecentFiles {
public:
    static constexpr int kMaxFiles = 16;

    /// The list stored in iniFile; an empty name uses the user's configuration file.
    explicit cRecentFiles(QString iniFile = {});

    /// The files, most recent first.
    [[nodiscard]] QStringList Files() const { return m_files; }
    /// Puts path at the front (moving it when it is already listed) and stores the list.
    void Add(const QString& path);
    /// Removes path from the list and stores it.
    void Remove(const QString& path);

    /// The menu text of entry index (0-based): "&1 path" ... "1&0 path", "11 path" ...;
    /// ampersands in the path are doubled and long paths shortened in the middle.
    static QString MenuText(int index, const QString& path);

private:
    void Store() const;
    [[nodiscard]] static bool SameFile(const QString& a, const QString& b);

    QString m_strIniFile;
    QStringList m_files;
};
