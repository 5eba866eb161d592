// The images drawn in code: sizes, the statistics bars read back pixel by pixel against
// the tenths each image stands for, and the icons of the question screens.

#include "practice/ui/ViewImages.h"

#include <QImage>
#include <QSet>
#include <QtTest>

using namespace ViewImages;

namespace {

QByteArray Bytes(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    return QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
}

// Colour of the bar's middle row at column x of a task image.
QRgb BarPixel(int index, int x) {
    return TaskImage(index).toImage().convertToFormat(QImage::Format_ARGB32).pixel(x, 9);
}

// Counts of right, partly right and wrong bar pixels of a task image.
void CountBar(int index, int& right, int& part, int& wrong) {
    right = part = wrong = 0;
    for (int x = kBarLeft; x < kBarLeft + kBarWidth; ++x) {
        const QRgb px = BarPixel(index, x);
        right += px == kRightColour;
        part += px == kPartColour;
        wrong += px == kWrongColour;
    }
}

} // namespace

class tst_ViewImages : public QObject {
    Q_OBJECT
private slots:
    void sharesInvertTheTriangle();
    void statisticsBars_data();
    void statisticsBars();
    void examAndEmptyImages();
    void iconsHaveTheirSizes_data();
    void iconsHaveTheirSizes();
    void questionnaireIcons();
};

void tst_ViewImages::sharesInvertTheTriangle() {
    // Every (right, wrong) pair of tenths with right + wrong <= 10 has exactly one image,
    // and together they are the images 1 to 66.
    QSet<int> seen;
    for (int r = 0; r <= 10; ++r) {
        for (int w = 0; w + r <= 10; ++w) {
            const int index = (11 - r) * (10 - r) / 2 + w + 1;
            int right = -1;
            int wrong = -1;
            QVERIFY(StatisticsShares(index, right, wrong));
            QCOMPARE(right, r);
            QCOMPARE(wrong, w);
            seen.insert(index);
        }
    }
    QCOMPARE(seen.size(), 66);
    QCOMPARE(*std::min_element(seen.begin(), seen.end()), 1);
    QCOMPARE(*std::max_element(seen.begin(), seen.end()), 66);
    int r = 0;
    int w = 0;
    for (int outside : {0, 67, 68, -1, 1000})
        QVERIFY(!StatisticsShares(outside, r, w));
}

void tst_ViewImages::statisticsBars_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("part");
    QTest::addColumn<int>("wrong");
    QTest::newRow("1 all right") << 1 << 30 << 0 << 0;
    QTest::newRow("66 all wrong") << 66 << 0 << 0 << 30;
    QTest::newRow("56 only partly right") << 56 << 0 << 30 << 0;
    QTest::newRow("21 half and half") << 21 << 15 << 0 << 15;
    QTest::newRow("10 seven right three wrong") << 10 << 21 << 0 << 9;
    QTest::newRow("2 nine right") << 2 << 27 << 3 << 0;
    QTest::newRow("4 eight right") << 4 << 24 << 6 << 0;
    QTest::newRow("57 one wrong tenth, rest partly") << 57 << 0 << 27 << 3;
    QTest::newRow("32 three of each, rest partly") << 32 << 9 << 12 << 9;
}

void tst_ViewImages::statisticsBars() {
    QFETCH(int, index);
    QFETCH(int, right);
    QFETCH(int, part);
    QFETCH(int, wrong);
    int r = 0;
    int p = 0;
    int w = 0;
    CountBar(index, r, p, w);
    QCOMPARE(r, right);
    QCOMPARE(p, part);
    QCOMPARE(w, wrong);
    // Right on the left, wrong on the right.
    if (right > 0)
        QCOMPARE(BarPixel(index, kBarLeft), kRightColour);
    if (wrong > 0)
        QCOMPARE(BarPixel(index, kBarLeft + kBarWidth - 1), kWrongColour);
}

void tst_ViewImages::examAndEmptyImages() {
    // Image 0 is an empty bar; 67 and 68 differ from it and from each other.
    int r = 0;
    int p = 0;
    int w = 0;
    CountBar(0, r, p, w);
    QCOMPARE(r + p + w, 0);
    QCOMPARE(BarPixel(0, 15), kEmptyColour);
    const QImage empty = TaskImage(0).toImage();
    const QImage answered = TaskImage(kTaskImageAnswered).toImage();
    const QImage missing = TaskImage(kTaskImageNotAnswered).toImage();
    QVERIFY(answered != empty);
    QVERIFY(missing != empty);
    QVERIFY(answered != missing);
    // Nothing is drawn for an index outside the set.
    const QImage none = TaskImage(69).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(none.size(), kTaskImageSize);
    for (int y = 0; y < none.height(); ++y)
        for (int x = 0; x < none.width(); ++x)
            QCOMPARE(qAlpha(none.pixel(x, y)), 0);
}

void tst_ViewImages::iconsHaveTheirSizes_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("size");
    for (int id : {kIconRight, kIconWrong, kIconBoxEmpty, kIconBoxTicked, kIconTickedRight,
                   kIconTickedWrong, kIconMissed, kIconUntickedRight})
        QTest::addRow("icon %d", id) << id << kMarkSize;
    for (int id : {kIconPlay, kIconPause, kIconPicture})
        QTest::addRow("media %d", id) << id << kMediaIconSize;
}

void tst_ViewImages::iconsHaveTheirSizes() {
    QFETCH(int, id);
    QFETCH(QSize, size);
    const QPixmap& icon = IconImage(id);
    QCOMPARE(icon.size(), size);
    // Drawn, not blank.
    const QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) > 200;
    QVERIFY2(opaque > 20, qPrintable(QStringLiteral("icon %1 is nearly empty").arg(id)));
    QVERIFY(IconImage(9999).isNull());
}

void tst_ViewImages::questionnaireIcons() {
    QSet<QByteArray> distinct;
    for (int i = 0; i < kQuestionnaireImageCount; ++i) {
        const QPixmap& icon = QuestionnaireImage(i);
        QCOMPARE(icon.size(), kQuestionnaireImageSize);
        distinct.insert(Bytes(icon));
    }
    QCOMPARE(distinct.size(), kQuestionnaireImageCount);
    // Indices outside the set fall back to icon 0.
    QCOMPARE(QuestionnaireImage(-3).toImage(), QuestionnaireImage(0).toImage());
    QCOMPARE(QuestionnaireImage(kQuestionnaireImageCount).toImage(),
             QuestionnaireImage(0).toImage());
    // The six tick-box states all look different.
    QSet<QByteArray> boxes;
    for (int id = kIconBoxEmpty; id <= kIconUntickedRight; ++id)
        boxes.insert(Bytes(IconImage(id)));
    QCOMPARE(boxes.size(), 6);
}

QTEST_MAIN(tst_ViewImages)
#include "tst_viewimages.moc"
