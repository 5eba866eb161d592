// The recent-file list: order, duplicates, the limit of 16, storage and menu texts.

#include "shell/ui/RecentFiles.h"

#include <QTemporaryDir>
#include <QTest>

class tst_RecentFiles : public QObject {
    Q_OBJECT
private slots:
    void newestFirstSixteenAndStored();
    void menuText_data();
    void menuText();
};

void tst_RecentFiles::newestFirstSixteenAndStored() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("recent.ini"));
    {
        cRecentFiles recent(ini);
        QVERIFY(recent.Files().isEmpty());
        for (int i = 1; i <= 20; ++i)
            recent.Add(QStringLiteral("/d/%1.vdr").arg(i));
        QCOMPARE(recent.Files().size(), 16);
        QCOMPARE(recent.Files().first(), QStringLiteral("/d/20.vdr"));
        QCOMPARE(recent.Files().last(), QStringLiteral("/d/5.vdr"));
        recent.Add(QString::fromUtf8("/übung/ä.vdr"));
        recent.Add(QStringLiteral("/daten/zwei.vdr"));
        recent.Add(QStringLiteral("/d/./unter/../19.vdr")); // a listed file again moves up
        recent.Add(QString());
        recent.Remove(QStringLiteral("/d/20.vdr"));
        recent.Remove(QStringLiteral("/x/nie.vdr"));
    }
    // After a restart: the same list.
    const QStringList files = cRecentFiles(ini).Files();
    QCOMPARE(files.size(), 15);
    QCOMPARE(files.mid(0, 4), QStringList({QStringLiteral("/d/19.vdr"), QStringLiteral("/daten/zwei.vdr"),
                                           QString::fromUtf8("/übung/ä.vdr"), QStringLiteral("/d/18.vdr")}));
    QCOMPARE(files.last(), QStringLiteral("/d/7.vdr"));
}

void tst_RecentFiles::menuText_data() {
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

void tst_RecentFiles::menuText() {
    QFETCH(int, index);
    QFETCH(QString, path);
    QFETCH(QString, text);
    QCOMPARE(cRecentFiles::MenuText(index, path), text);
}

QTEST_MAIN(tst_RecentFiles)
#include "tst_recentfiles.moc"
