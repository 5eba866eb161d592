// The self-drawn percentage bar: texts, filled width, pixels, text colours at the bar's
// edge and the rule that an unchanged filled width does not repaint.

#include "practice/ui/PercentBar.h"

#include <QtTest>

namespace {

QImage Render(cPercentBar& bar) {
    return bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class tst_PercentBar : public QObject {
    Q_OBJECT
private slots:
    void textAndWidth_data() {
        QTest::addColumn<int>("lower"); QTest::addColumn<int>("upper"); QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("text"); QTest::addColumn<int>("filled"); // of 200 pixels
        QTest::newRow("37 of 100") << 0 << 100 << 37 << "37%" << 74;
        QTest::newRow("33 of 200 truncates 16.5") << 0 << 200 << 33 << "16%" << 33;
        QTest::newRow("29 of 100 is not 28") << 0 << 100 << 29 << "29%" << 58;
        QTest::newRow("57 of 100 is not 56") << 0 << 100 << 57 << "57%" << 114;
        QTest::newRow("empty") << 0 << 100 << 0 << "0%" << 0;
        QTest::newRow("full") << 0 << 100 << 100 << "100%" << 200;
        QTest::newRow("shifted bounds") << -50 << 50 << 0 << "50%" << 100;
        QTest::newRow("countdown 754 of 900") << 0 << 900 << 754 << "83%" << 167;
        QTest::newRow("above upper") << 0 << 100 << 150 << "150%" << 300;
        QTest::newRow("below lower") << 0 << 100 << -10 << "-10%" << -20;
        QTest::newRow("one second of a day") << 0 << 86400 << 1 << "0%" << 0;
        QTest::newRow("huge bounds do not overflow") << 0 << 2000000000 << 1999999999 << "99%" << 199;
        QTest::newRow("empty range paints nothing") << 5 << 5 << 3 << "" << 0;
    }

    void textAndWidth() {
        QFETCH(int, lower); QFETCH(int, upper); QFETCH(int, pos); QFETCH(QString, text);
        QFETCH(int, filled);
        cPercentBar bar; bar.resize(200, 25); bar.SetRange(lower, upper);
        QCOMPARE(bar.SetPos(pos), 0);
        QCOMPARE(bar.DisplayText(), text);
        QCOMPARE(bar.FilledWidth(), filled);
        QCOMPARE(bar.SetPos(pos + 1), pos);
        // An own text replaces the percentage until it is cleared.
        bar.SetWindowText(QStringLiteral("12:05"));
        QCOMPARE(bar.DisplayText(), QStringLiteral("12:05"));
        QCOMPARE(bar.WindowText(), QStringLiteral("12:05"));
        bar.SetPos(pos);
        bar.SetWindowText(QString());
        QCOMPARE(bar.DisplayText(), text);
    }

    void fillsBarAndBackground() {
        // The text is hidden: every pixel is bar or background, also beyond the bounds.
        cPercentBar bar; bar.resize(200, 25);
        bar.SetBarColour(QColor(255, 0, 0)); bar.SetBgColour(QColor(0, 0, 255));
        bar.SetRange(0, 100); bar.SetShowText(false);
        for (const auto& [pos, filled] : {std::pair{37, 74}, {150, 200}, {-5, 0}}) {
            bar.SetPos(pos);
            const QImage image = Render(bar);
            QCOMPARE(image.width(), 200);
            for (int y : {0, 12, 24})
                for (int x = 0; x < 200; ++x)
                    QCOMPARE(image.pixel(x, y), x < filled ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        }
    }

    void textChangesColourAtTheEdge() {
        // Bar red, text on the bar green; background blue, text there black. Any blend of
        // the first pair has no blue, any blend of the second pair no red and no green.
        cPercentBar bar; bar.resize(300, 40);
        QFont font = bar.font(); font.setPixelSize(28); bar.setFont(font);
        bar.SetBarColour(QColor(255, 0, 0)); bar.SetTextColourOnBar(QColor(0, 255, 0));
        bar.SetBgColour(QColor(0, 0, 255)); bar.SetTextColour(QColor(0, 0, 0));
        bar.SetWindowText(QStringLiteral("MMMMMMMMMM"));
        bar.SetRange(0, 300); bar.SetPos(150);
        const QImage image = Render(bar);
        bool greenLeft = false, blackRight = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = image.pixel(x, y);
                if (x < 150) {
                    QCOMPARE(qBlue(px), 0);
                    greenLeft = greenLeft || qGreen(px) > 128;
                } else {
                    QCOMPARE(qRed(px) + qGreen(px), 0);
                    blackRight = blackRight || qBlue(px) < 128;
                }
            }
        }
        QVERIFY(greenLeft && blackRight);
    }

    void repaintsOnlyWhenWidthChanges() {
        cPercentBar bar; bar.resize(100, 25); bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        bar.SetRange(0, 1000); bar.SetPos(100);
        QCoreApplication::processEvents();
        const int before = bar.PaintCount();
        bar.SetPos(105); // still 10 pixels
        bar.SetPos(109);
        QCOMPARE(bar.PaintCount(), before);
        bar.SetPos(110); // 11 pixels: repainted at once, without waiting for the event loop
        QCOMPARE(bar.PaintCount(), before + 1);
        QCOMPARE(bar.Pos(), 110);
    }
};

QTEST_MAIN(tst_PercentBar)
#include "tst_percentbar.moc"
