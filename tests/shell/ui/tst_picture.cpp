// Task pictures: natural and screen size from the file, the fitted drawing rectangle,
// the failure message, and the picture window that one click closes.

#include "ui/PictureDlg.h"

#include "common/RecordingPresenter.h"
#include "data/Cp1252.h"
#include "ui/DialogParts.h"
#include "shell/ui/ModalScript.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A picture of three stripes (red, green, blue from top to bottom) at a given resolution.
QString WriteStripes(const QTemporaryDir& dir, const QString& name, int w, int h, int dpm) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, y < h / 3 ? qRgb(255, 0, 0) : y < 2 * h / 3 ? qRgb(0, 255, 0)
                                                                              : qRgb(0, 0, 255));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    const QString path = dir.filePath(name);
    image.save(path, "PNG");
    return path;
}

} // namespace

class tst_Picture : public QObject {
    Q_OBJECT
private slots:
    void fitsIntoRectangle_data();
    void fitsIntoRectangle();
    void sizesFollowTheFileResolution_data();
    void sizesFollowTheFileResolution();
    void unreadablePictureIsReported_data();
    void unreadablePictureIsReported();
    void windowFitsPictureAndTitle_data();
    void windowFitsPictureAndTitle();
    void oneClickClosesTheWindow();
};

void tst_Picture::fitsIntoRectangle_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("target");
    QTest::addColumn<QRect>("drawn");
    QTest::newRow("wide into square") << QSize(400, 200) << QRect(0, 0, 300, 300)
                                      << QRect(0, 75, 300, 150);
    QTest::newRow("into wide strip") << QSize(400, 200) << QRect(0, 0, 1000, 200)
                                     << QRect(300, 0, 400, 200);
    QTest::newRow("scaled up") << QSize(40, 20) << QRect(0, 0, 200, 200)
                               << QRect(0, 50, 200, 100);
    QTest::newRow("exact") << QSize(120, 80) << QRect(0, 0, 120, 80) << QRect(0, 0, 120, 80);
    QTest::newRow("offset target") << QSize(100, 100) << QRect(10, 20, 200, 100)
                                   << QRect(60, 20, 100, 100);
    QTest::newRow("truncated width") << QSize(3, 2) << QRect(0, 0, 10, 5)
                                     << QRect(1, 0, 7, 5);
    QTest::newRow("odd remainder") << QSize(100, 50) << QRect(0, 0, 101, 101)
                                   << QRect(0, 25, 101, 50);
    QTest::newRow("no pixels") << QSize(0, 0) << QRect(0, 0, 50, 30) << QRect(10, 0, 30, 30);
}

void tst_Picture::fitsIntoRectangle() {
    QFETCH(QSize, picture);
    QFETCH(QRect, target);
    QFETCH(QRect, drawn);
    QCOMPARE(FitPictureRect(picture.width(), picture.height(), target), drawn);
}

void tst_Picture::sizesFollowTheFileResolution_data() {
    QTest::addColumn<int>("dpm");
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("pixels");
    // 3780 dots per metre is 96 dpi, the screen's own resolution here.
    QTest::newRow("96 dpi") << 3780 << QSize(7937, 4762) << QSize(300, 180);
    QTest::newRow("192 dpi") << 7559 << QSize(3969, 2381) << QSize(150, 90);
    QTest::newRow("48 dpi") << 1890 << QSize(15873, 9524) << QSize(600, 360);
}

void tst_Picture::sizesFollowTheFileResolution() {
    QFETCH(int, dpm);
    QFETCH(QSize, natural);
    QFETCH(QSize, pixels);
    QTemporaryDir dir;
    const QString path = WriteStripes(dir, QStringLiteral("bild.png"), 300, 180, dpm);
    RecordingPresenter boxes;
    cPicture picture;
    QCOMPARE(picture.Load(path), false);
    QVERIFY(picture.IsLoaded());
    QCOMPARE(QSize(picture.NaturalWidth(), picture.NaturalHeight()), natural);
    QCOMPARE(QSize(picture.PixelWidth(), picture.PixelHeight()), pixels);
    QVERIFY(boxes.boxes.empty());
    // Into a 300 x 300 canvas it is drawn 300 x 180 from y = 60, stripes in order.
    QImage canvas(300, 300, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        picture.Draw(painter, canvas.rect());
    }
    QList<QRgb> column;
    for (int y : {40, 90, 150, 210, 260})
        column << canvas.pixel(150, y);
    QCOMPARE(column, QList<QRgb>({qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 255, 0),
                                  qRgb(0, 0, 255), qRgb(255, 255, 255)}));
}

void tst_Picture::unreadablePictureIsReported_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // empty: the file does not exist
    QTest::newRow("missing") << QStringLiteral("fehlt.png") << QByteArray();
    QTest::newRow("not a picture") << QStringLiteral("text.png") << QByteArray("kein Bild");
    QTest::newRow("truncated png") << QStringLiteral("kaputt.png")
                                   << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
}

void tst_Picture::unreadablePictureIsReported() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    RecordingPresenter boxes;
    cPicture picture;
    // A picture loaded before is released by the failed load.
    QCOMPARE(picture.Load(WriteStripes(dir, QStringLiteral("gut.png"), 30, 30, 3780)), false);
    QCOMPARE(picture.Load(path), true);
    QVERIFY(!picture.IsLoaded());
    QCOMPARE(QSize(picture.NaturalWidth(), picture.PixelHeight()), QSize(0, 0));
    QCOMPARE(picture.PixelWidth(), 0);
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    QCOMPARE(boxes.boxes[0].caption, std::string("Quorvant"));
    QCOMPARE(boxes.boxes[0].text,
             "Fehler. Datei konnte nicht geladen werden:" + path.toStdString());
    QCOMPARE(boxes.boxes[0].style, std::uint32_t(0x30));
    // The picture window reports the same and does not open.
    CPictureDlg dlg(path);
    QCOMPARE(dlg.exec(), int(QDialog::Rejected));
    QVERIFY(!dlg.isVisible());
    QCOMPARE(boxes.boxes.size(), std::size_t(2));
    QCOMPARE(boxes.boxes[1].style, std::uint32_t(0x30));
}

void tst_Picture::windowFitsPictureAndTitle_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("window"); // width 0: as wide as the title needs
    QTest::newRow("wider than the title") << QSize(700, 300) << QSize(700, 300);
    QTest::newRow("narrower than the title") << QSize(240, 120) << QSize(0, 120);
    // Scaled up with its shape kept, the short side at 80 pixels.
    QTest::newRow("tiny") << QSize(20, 10) << QSize(0, 80);
}

void tst_Picture::windowFitsPictureAndTitle() {
    QFETCH(QSize, picture);
    QFETCH(QSize, window);
    QTemporaryDir dir;
    const QString path =
        WriteStripes(dir, QStringLiteral("bild.png"), picture.width(), picture.height(), 3780);
    CPictureDlg dlg(path);
    QVERIFY(dlg.Prepare());
    QCOMPARE(dlg.windowTitle(),
             QString::fromUtf8(
                 "Bildanzeige (Klicken Sie auf das Bild, um das Fenster zu schließen)"));
    QCOMPARE(dlg.objectName(), QStringLiteral("dlg142"));
    QCOMPARE(QSize(dlg.Picture().PixelWidth(), dlg.Picture().PixelHeight()), picture);
    const int titleWidth = CaptionWidth(dlg, dlg.windowTitle());
    QVERIFY(titleWidth > 300 && titleWidth < 700);
    QCOMPARE(dlg.size(), QSize(window.width() ? window.width() : titleWidth, window.height()));
}

void tst_Picture::oneClickClosesTheWindow() {
    QTemporaryDir dir;
    const QString path = WriteStripes(dir, QStringLiteral("bild.png"), 200, 100, 3780);
    CPictureDlg dlg(path);
    bool sawPicture = false;
    ModalScript script({[&](QWidget* modal) {
        if (modal != &dlg)
            return false;
        // What the window shows: the picture at its full height, in the middle.
        const QImage shot = dlg.grab().toImage();
        const int middle = dlg.width() / 2;
        sawPicture = shot.pixel(middle, 10) == qRgb(255, 0, 0) &&
                     shot.pixel(middle, 90) == qRgb(0, 0, 255);
        QTimer::singleShot(0, &dlg, [&dlg, middle] {
            QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(middle, 50));
        });
        return true;
    }});
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QVERIFY(script.Done());
    QVERIFY(sawPicture);
    QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(tst_Picture)
#include "tst_picture.moc"
