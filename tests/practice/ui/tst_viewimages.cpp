// The images drawn in code: sizes, the statistics bars read back pixel by pixel against
// the tenths each image stands for, and the icons of the question screens.

#include "practice/ui/ViewImages.h"

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
QList<int> CountBar(int index) {
    QList<int> counts{0, 0, 0};
    for (int x = kBarLeft; x < kBarLeft + kBarWidth; ++x) {
        const QRgb px = BarPixel(index, x);
        counts[0] += px == kRightColour; counts[1] += px == kPartColour; counts[2] += px == kWrongColour;
    }
    return counts;
}

// Pixels of an image that are (nearly) opaque.
int Opaque(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) > 200;
    return opaque;
}

} // namespace

class tst_ViewImages : public QObject {
    Q_OBJECT
private slots:
    void sharesInvertTheTriangle() {
        // Every (right, wrong) pair of tenths with right + wrong <= 10 has exactly one
        // image, and together they are the images 1 to 66.
        QSet<int> seen;
        for (int r = 0; r <= 10; ++r) {
            for (int w = 0; w + r <= 10; ++w) {
                const int index = (11 - r) * (10 - r) / 2 + w + 1;
                int right = -1, wrong = -1;
                QVERIFY(StatisticsShares(index, right, wrong));
                QCOMPARE(right, r);
                QCOMPARE(wrong, w);
                seen.insert(index);
            }
        }
        QCOMPARE(seen.size(), 66);
        QCOMPARE(*std::min_element(seen.begin(), seen.end()), 1);
        QCOMPARE(*std::max_element(seen.begin(), seen.end()), 66);
        int r = 0, w = 0;
        for (int outside : {0, 67, 68, -1, 1000})
            QVERIFY(!StatisticsShares(outside, r, w));
    }

    void statisticsBars_data() {
        QTest::addColumn<int>("index"); QTest::addColumn<QList<int>>("counts"); // right, part, wrong
        QTest::newRow("1 all right") << 1 << QList<int>{30, 0, 0};
        QTest::newRow("66 all wrong") << 66 << QList<int>{0, 0, 30};
        QTest::newRow("56 only partly right") << 56 << QList<int>{0, 30, 0};
        QTest::newRow("21 half and half") << 21 << QList<int>{15, 0, 15};
        QTest::newRow("10 seven right three wrong") << 10 << QList<int>{21, 0, 9};
        QTest::newRow("2 nine right") << 2 << QList<int>{27, 3, 0};
        QTest::newRow("4 eight right") << 4 << QList<int>{24, 6, 0};
        QTest::newRow("57 one wrong tenth, rest partly") << 57 << QList<int>{0, 27, 3};
        QTest::newRow("32 three of each, rest partly") << 32 << QList<int>{9, 12, 9};
    }

    void statisticsBars() {
        QFETCH(int, index); QFETCH(QList<int>, counts);
        QCOMPARE(CountBar(index), counts);
        // Right on the left, wrong on the right.
        if (counts[0] > 0)
            QCOMPARE(BarPixel(index, kBarLeft), kRightColour);
        if (counts[2] > 0)
            QCOMPARE(BarPixel(index, kBarLeft + kBarWidth - 1), kWrongColour);
    }

    void examAndEmptyImages() {
        // Image 0 is an empty bar; 67 and 68 differ from it and from each other.
        QCOMPARE(CountBar(0), (QList<int>{0, 0, 0}));
        QCOMPARE(BarPixel(0, 15), kEmptyColour);
        const QImage empty = TaskImage(0).toImage();
        const QImage answered = TaskImage(kTaskImageAnswered).toImage();
        const QImage missing = TaskImage(kTaskImageNotAnswered).toImage();
        QVERIFY(answered != empty && missing != empty && answered != missing);
        // Nothing is drawn for an index outside the set.
        const QImage none = TaskImage(69).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(none.size(), kTaskImageSize);
        for (int y = 0; y < none.height(); ++y)
            for (int x = 0; x < none.width(); ++x)
                QCOMPARE(qAlpha(none.pixel(x, y)), 0);
    }

    void icons() {
        // Each icon has its size and is drawn, not blank.
        for (int id : {kIconRight, kIconWrong, kIconBoxEmpty, kIconBoxTicked, kIconTickedRight,
                       kIconTickedWrong, kIconMissed, kIconUntickedRight, kIconPlay, kIconPause,
                       kIconPicture}) {
            const bool media = id == kIconPlay || id == kIconPause || id == kIconPicture;
            QCOMPARE(IconImage(id).size(), media ? kMediaIconSize : kMarkSize);
            QVERIFY2(Opaque(IconImage(id).toImage()) > 20, qPrintable(QString::number(id)));
        }
        QVERIFY(IconImage(9999).isNull());
        // The six tick-box states all look different.
        QSet<QByteArray> boxes;
        for (int id = kIconBoxEmpty; id <= kIconUntickedRight; ++id)
            boxes.insert(Bytes(IconImage(id)));
        QCOMPARE(boxes.size(), 6);
        // The questionnaire icons differ; indices outside the set fall back to icon 0.
        QSet<QByteArray> distinct;
        for (int i = 0; i < kQuestionnaireImageCount; ++i) {
            QCOMPARE(QuestionnaireImage(i).size(), kQuestionnaireImageSize);
            distinct.insert(Bytes(QuestionnaireImage(i)));
        }
        QCOMPARE(distinct.size(), kQuestionnaireImageCount);
        for (int outside : {-3, kQuestionnaireImageCount})
            QCOMPARE(QuestionnaireImage(outside).toImage(), QuestionnaireImage(0).toImage());
    }
};

QTEST_MAIN(tst_ViewImages)
#include "tst_viewimages.moc"
