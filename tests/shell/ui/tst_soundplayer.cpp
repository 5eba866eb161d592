// The sound player behind the training view: which files it opens, volume, and the
// stop-rewinds rule. Nothing is played aloud.

#include "ui/SoundPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QString kTone = QStringLiteral(QUORVANT_SOURCE_DIR "/resources/beispiel_kammerton.wav");

} // namespace

class tst_SoundPlayer : public QObject {
    Q_OBJECT
private slots:
    void missingFileOpensNothing_data();
    void missingFileOpensNothing();
    void openStopReopenAndClose();
    void playWithoutOutputDeviceStaysSilent();
    void volumeIsClamped_data();
    void volumeIsClamped();
};

void tst_SoundPlayer::missingFileOpensNothing_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/ton.wav");
    QTest::newRow("empty") << QString();
    QTest::newRow("directory") << QStringLiteral(QUORVANT_SOURCE_DIR "/resources");
}

void tst_SoundPlayer::missingFileOpensNothing() {
    QFETCH(QString, path);
    cQtSoundPlayer player;
    QVERIFY(!player.Open(path.toStdString()));
    QVERIFY(!player.Player());
    QVERIFY(!player.CanPlay());
    // Commands without a sound do nothing.
    player.Play();
    player.Pause();
    player.Stop();
    QVERIFY(!player.Player());
}

void tst_SoundPlayer::openStopReopenAndClose() {
    cQtSoundPlayer player;
    QVERIFY(player.Open(kTone.toStdString()));
    QVERIFY(player.Player());
    QCOMPARE(player.Player()->source(), QUrl::fromLocalFile(kTone));
    QVERIFY(player.Player()->audioOutput());
    QTRY_COMPARE(player.Player()->mediaStatus(), QMediaPlayer::LoadedMedia);
    QCOMPARE(player.CanPlay(), HasAudioOutput());
    // Stop rewinds.
    player.Player()->setPosition(700);
    player.Stop();
    QCOMPARE(player.Player()->position(), qint64(0));
    QCOMPARE(player.Player()->playbackState(), QMediaPlayer::StoppedState);
    // The warning tone built into the program opens and loads as well.
    QVERIFY(player.Open(WarningTonePath()));
    QCOMPARE(player.Player()->source(), QUrl(QStringLiteral("qrc:/sounds/warning-tone.wav")));
    QTRY_COMPARE(player.Player()->mediaStatus(), QMediaPlayer::LoadedMedia);
    player.Close();
    QVERIFY(!player.Player());
    QVERIFY(!player.CanPlay());
    // The earlier sound is closed even when the new one cannot be opened.
    QVERIFY(player.Open(kTone.toStdString()));
    QVERIFY(!player.Open("/nonexistent/ton.wav"));
    QVERIFY(!player.Player());
}

void tst_SoundPlayer::playWithoutOutputDeviceStaysSilent() {
    if (HasAudioOutput())
        QSKIP("this machine has an audio output device");
    cQtSoundPlayer player;
    QVERIFY(player.Open(kTone.toStdString()));
    QTRY_VERIFY(player.Player()->mediaStatus() == QMediaPlayer::LoadedMedia);
    QVERIFY(!player.CanPlay());
    // Playing into a sink that could not be opened used to crash the program a moment
    // after the start; now nothing starts at all.
    player.Play();
    QTest::qWait(700);
    QCOMPARE(player.Player()->playbackState(), QMediaPlayer::StoppedState);
    player.Pause();
    player.Play();
    QTest::qWait(300);
    QVERIFY(player.Player()->playbackState() != QMediaPlayer::PlayingState);
}

void tst_SoundPlayer::volumeIsClamped_data() {
    QTest::addColumn<int>("volume");
    QTest::addColumn<float>("output");
    QTest::newRow("full") << 1000 << 1.0f;
    QTest::newRow("half") << 500 << 0.5f;
    QTest::newRow("silent") << 0 << 0.0f;
    QTest::newRow("above") << 2000 << 1.0f;
    QTest::newRow("below") << -5 << 0.0f;
}

void tst_SoundPlayer::volumeIsClamped() {
    QFETCH(int, volume);
    QFETCH(float, output);
    cQtSoundPlayer player;
    player.SetVolume(volume); // before a sound is open: kept for the next one
    QVERIFY(player.Open(kTone.toStdString()));
    QCOMPARE(player.Player()->audioOutput()->volume(), output);
    player.SetVolume(1000);
    QCOMPARE(player.Player()->audioOutput()->volume(), 1.0f);
}

QTEST_MAIN(tst_SoundPlayer)
#include "tst_soundplayer.moc"
