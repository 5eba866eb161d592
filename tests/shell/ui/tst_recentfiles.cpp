// The recent-file list: order, duplicates, the limit of 16, storage and menu texts.

#include "shell/ui/RecentFiles.h"

#include <QTemporaryDir>
#include <QTest>

class tst_RecentFiles : public QObject {
    Q_OBJECT
private slots:
    void newestFirstWithoutDuplicates();
    void keepsSixteen();
    void survivesRestart();
    void removeForgetsAFile();
    void menuText_data();
    void menuText();

private:
    QTemporaryDir m_dir;
    QString Ini(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
};

void tst_RecentFiles::newestFirstWithoutDuplicates()
{
    cRecentFiles recent(Ini("a.ini"));
    QVERIFY(recent.Files().isEmpty());
    recent.Add(QStringLiteral("/daten/eins.vdr"));
    recent.Add(QStringLiteral("/daten/zwei.vdr"));
    recent.Add(QStringLiteral("/daten/./unter/../eins.vdr")); // the same file again
    QCOMPARE(recent.Files(),
             QStringList({QStringLiteral("/daten/eins.vdr"), QStringLiteral("/daten/zwei.vdr")}));
    recent.Add(QString());
    QCOMPARE(recent.Files().size(), 2);
}

void tst_RecentFiles::keepsSixteen()
{
    cRecentFiles recent(Ini("b.ini"));
    for (int i = 1; i <= 20; ++i)
        recent.Add(QStringLiteral("/d/%1.vdr").arg(i));
    QCOMPARE(recent.Files().size(), 16);
    QCOMPARE(recent.Files().first(), QStringLiteral("/d/20.vdr"));
    QCOMPARE(recent.Files().last(), QStringLiteral("/d/5.vdr"));
}

void tst_RecentFiles::survivesRestart()
{
    {
        cRecentFiles recent(Ini("c.ini"));
        recent.Add(QString::fromUtf8("/übung/ä.vdr"));
        recent.Add(QStringLiteral("/b.vdr"));
    }
    cRecentFiles again(Ini("c.ini"));
    QCOMPARE(again.Files(),
             QStringList({QStringLiteral("/b.vdr"), QString::fromUtf8("/übung/ä.vdr")}));
}

void tst_RecentFiles::removeForgetsAFile()
{
    cRecentFiles recent(Ini("d.ini"));
    recent.Add(QStringLiteral("/x/a.vdr"));
    recent.Add(QStringLiteral("/x/b.vdr"));
    recent.Remove(QStringLiteral("/x/a.vdr"));
    recent.Remove(QStringLiteral("/x/nie.vdr"));
    QCOMPARE(recent.Files(), QStringList({QStringLiteral("/x/b.vdr")}));
    QCOMPARE(cRecentFiles(Ini("d.ini")).Files(), QStringList({QStringLiteral("/x/b.vdr")}));
}

void tst_RecentFiles::menuText_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::newRow("first") << 0 << "/a/b.vdr" << "&1 /a/b.vdr";
    QTest::newRow("ninth") << 8 << "/a/b.vdr" << "&9 /a/b.vdr";
    QTest::newRow("tenth") << 9 << "/a/b.vdr" << "1&0 /a/b.vdr";
    QTest::newRow("eleventh") << 10 << "/a/b.vdr" << "11 /a/b.vdr";
    QTest::newRow("ampersand") << 1 << "/a/A&B.vdr" << "&2 /a/A&&B.vdr";
    const QString longPath = QStringLiteral("/") + QString(40, QLatin1Char('x')) +
                             QStringLiteral("/") + QString(40, QLatin1Char('y')) +
                             QStringLiteral(".vdr");
    QTest::newRow("long") << 0 << longPath
                          << QStringLiteral("&1 ") + longPath.left(33) + QStringLiteral("...") +
                                 longPath.right(33);
}

void tst_RecentFiles::menuText()
{
    QFETCH(int, index);
    QFETCH(QString, path);
    QFETCH(QString, text);
    QCOMPARE(cRecentFiles::MenuText(index, path), text);
}

QTEST_MAIN(tst_RecentFiles)
#include "tst_recentfiles.moc"
