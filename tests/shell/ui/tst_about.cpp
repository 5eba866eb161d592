// The about box with its version line, and the program's own images.

#include "shell/ui/AboutDlg.h"

#include "shell/ui/Commands.h"
#include "shell/ui/Icons.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// Share of pixels that are not transparent.
double Coverage(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) > 0;
    return double(opaque) / (image.width() * image.height());
}

} // namespace

class tst_About : public QObject {
    Q_OBJECT
private slots:
    void versionText_data();
    void versionText();
    void aboutBoxShowsVersion();
    void toolBarImagesAreDrawnAndDistinct();
};

void tst_About::versionText_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.0.0") << "1.0.0" << "1.0";
    QTest::newRow("1.0.0.0") << "1.0.0.0" << "1.0";
    QTest::newRow("two parts") << "2.5" << "2.5";
    QTest::newRow("build number") << "1.2.0.7" << "1.2.0.7";
    QTest::newRow("third part") << "1.2.3" << "1.2.3.0";
    QTest::newRow("zero") << "0.0.0.0" << "";
    QTest::newRow("minor only") << "0.3" << "0.3";
    QTest::newRow("patch only") << "0.0.1" << "0.0.1.0";
    QTest::newRow("largest") << "65535.65535.65535.65535" << "65535.65535.65535.65535";
    QTest::newRow("too large") << "1.65536" << "";
    QTest::newRow("five parts") << "1.2.3.4.5" << "";
    QTest::newRow("letters") << "1.x" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("negative") << "1.-2" << "";
}

void tst_About::versionText() {
    QFETCH(QString, version);
    QFETCH(QString, text);
    QCOMPARE(FileVersionText(version), text);
}

void tst_About::aboutBoxShowsVersion() {
    CAboutDlg dlg;
    QCOMPARE(dlg.windowTitle(), QString::fromUtf8("Info über das Programm"));
    // The build's version is 1.0.0, shown as 1.0.
    QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("ctl1085"))->text(),
             QStringLiteral("Quorvant Version 1.0"));
    QVERIFY(!dlg.findChild<QLabel*>(QStringLiteral("appIcon"))->pixmap().isNull());
    QCOMPARE(dlg.findChild<QPushButton*>(QStringLiteral("ctl1"))->text(), QStringLiteral("OK"));
}

void tst_About::toolBarImagesAreDrawnAndDistinct() {
    QList<QImage> seen;
    for (int id : {cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, cmd::kPrint, cmd::kPrintPreview,
                   cmd::kSettings, cmd::kFileSettings, cmd::kOverview, cmd::kAbout, cmd::kHelp}) {
        const QPixmap image = DrawCommandImage(id);
        QCOMPARE(image.size(), QSize(32, 32));
        // Clearly drawn: a good part of the square, but not all of it, has paint.
        const double coverage = Coverage(image);
        QVERIFY2(coverage > 0.25 && coverage < 0.95, qPrintable(QStringLiteral("%1: %2").arg(id).arg(coverage)));
        QCOMPARE(DrawCommandImage(id, 16).size(), QSize(16, 16));
        QVERIFY(!CommandIcon(id).isNull());
        QVERIFY2(!seen.contains(image.toImage()), qPrintable(QString::number(id)));
        seen << image.toImage();
    }
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
