// Task media. Pictures: natural and screen size from the file, the fitted drawing
// rectangle, the failure message, and the picture window that one click closes. Sounds:
// which files the player opens, volume, and the stop-rewinds rule. The bundled sample file:
// what it contains, that it is exactly what its generator writes, and that its help file
// and media sit beside the built program.

#include "ui/PictureDlg.h"
#include "ui/SoundPlayer.h"

#include "base/Cp1252.h"
#include "common/RecordingPresenter.h"
#include "data/TrainingData.h"
#include "practice/Media.h"
#include "ui/DialogParts.h"
#include "shell/ui/ModalScript.h"

#include <QtWidgets>
#include <QtMultimedia>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QString kResources = QStringLiteral(QUORVANT_SOURCE_DIR "/resources/");
const QString kTone = kResources + "beispiel_kammerton.wav";

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString BuildDir(const QString& sub) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../") + sub);
}

// A picture of three stripes (red, green, blue from top to bottom) at a given resolution.
QString WriteStripes(const QTemporaryDir& dir, const QString& name, int w, int h, int dpm) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, y < h / 3 ? qRgb(255, 0, 0) : y < 2 * h / 3 ? qRgb(0, 255, 0)
                                                                              : qRgb(0, 0, 255));
    image.setDotsPerMeterX(dpm); image.setDotsPerMeterY(dpm);
    const QString path = dir.filePath(name);
    image.save(path, "PNG");
    return path;
}

} // namespace

class tst_Media : public QObject {
    Q_OBJECT
    cTrainingData m_data; // the bundled sample

private slots:
    void initTestCase() {
        QCOMPARE(m_data.ReadTrainingFile((kResources + "beispiel.vdr").toStdString()), 0);
    }

    void sampleServesTheTour() {
        QStringList titles;
        for (const cQuestionnaire& q : m_data.m_aQuestionnaires)
            titles << QString::fromLatin1(q.m_strTitle.c_str()); // Latin-1 is Windows-1252 here
        QCOMPARE(titles, QStringList({"Vokabeln Englisch", "Multiple Choice: Allgemeinwissen",
                                      "Wissensfragen mit Selbstbewertung", "Bild und Ton",
                                      "Prüfung: Gemischte Fragen (5 Minuten)", "Alle Aufgaben"}));
        QCOMPARE(m_data.m_aTasks.size(), std::size_t(17));
        QVERIFY(m_data.m_bShowAll);
        for (const cTask& t : m_data.m_aTasks)
            for (std::uint32_t c : t.m_nStats)
                QCOMPARE(c, 0u); // a fresh start for the user

        // Vocabulary: the model solution passes, and so does a swapped-letter slip of it.
        QVERIFY(m_data.m_bAllowMissing && m_data.m_bAllowExtra && m_data.m_bAllowSwap);
        QCOMPARE(m_data.m_aQuestionnaires[0].m_aTaskIndex.size(), std::size_t(8));
        for (std::uint32_t i : m_data.m_aQuestionnaires[0].m_aTaskIndex) {
            cTask task = m_data.m_aTasks[i];
            QCOMPARE(int(task.m_nPatternCount), 2);
            task.m_strAnswer = task.m_strSolution;
            QCOMPARE(task.CheckAnswer(true, true, true), int(VerdictRight));
            std::swap(task.m_strAnswer[0], task.m_strAnswer[1]);
            QVERIFY(task.CheckAnswer(true, true, true) != VerdictWrong);
        }
        // Multiple choice fits the question screen's three answer rows.
        for (std::uint32_t i : m_data.m_aQuestionnaires[1].m_aTaskIndex) {
            const cTask& task = m_data.m_aTasks[i];
            QCOMPARE(int(task.m_nType), int(TaskTypeMultipleChoice));
            QVERIFY(task.m_nChoiceCount >= 2 && task.m_nChoiceCount <= 3);
            QVERIFY(std::count(task.m_bChoiceRight.begin(), task.m_bChoiceRight.begin() + task.m_nChoiceCount,
                               true) > 0);
        }
        for (std::uint32_t i : m_data.m_aQuestionnaires[2].m_aTaskIndex)
            QVERIFY(m_data.m_aTasks[i].m_bSelfAssess && m_data.m_aTasks[i].m_nPoints >= 2);
        // Long model answers must not be filtered away by the word limit.
        QCOMPARE(int(m_data.m_nMaxWords), 0);

        // The exam can be passed.
        const cQuestionnaire& exam = m_data.m_aQuestionnaires[4];
        QCOMPARE(std::tuple(exam.m_nExamSeconds, exam.m_nPassPoints, exam.m_nRetakePoints),
                 std::tuple(300, 10u, 7u));
        unsigned total = 0;
        for (std::uint32_t i : exam.m_aTaskIndex)
            total += m_data.m_aTasks[i].m_nPoints;
        QCOMPARE(total, 14u);
        // The only timed questionnaire, so the exam simulation always picks it.
        QCOMPARE(m_data.m_nTimedCount, 1);
    }

    void sampleIsWhatItsGeneratorWrites() {
        const QString cli = BuildDir(QStringLiteral("cli/quorvant-cli"));
        if (!QFileInfo(cli).isExecutable())
            QSKIP("quorvant-cli is not built beside the tests");
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("beispiel.vdr"));
        QProcess import;
        import.start(cli, {"import", kResources + "beispiel.json", out});
        QVERIFY(import.waitForFinished(30000) && import.exitCode() == 0);
        QCOMPARE(FileBytes(out), FileBytes(kResources + "beispiel.vdr"));
    }

    void sampleMediaAndHelpBesideTheBuiltProgram() {
        const QString built = BuildDir(QStringLiteral("shell/"));
        for (const char* name : {"hilfe_vdr.html", "beispiel_flagge.png", "beispiel_kammerton.wav"}) {
            const QByteArray source = FileBytes(kResources + QLatin1String(name));
            QVERIFY2(!source.isEmpty() && FileBytes(built + QLatin1String(name)) == source, name);
        }
        // The one picture and the one sound the tasks name are found in both places.
        for (const QString& dir : {kResources, built}) {
            QStringList media;
            for (const cTask& task : m_data.m_aTasks) {
                if (!task.m_strPicture.empty())
                    media << QString::fromStdString(MediaPath(dir.toStdString(), task.m_strPicture));
                if (!task.m_strSound.empty())
                    media << QString::fromStdString(
                        MediaPath(dir.toStdString(), SoundFileName(task.m_strSound)));
            }
            QCOMPARE(media.size(), 2);
            for (const QString& path : std::as_const(media))
                QVERIFY2(FileReadable(path.toStdString()), qPrintable(path));
        }
    }

    void fitsIntoRectangle() {
        // Picture size, target, drawn rectangle: centred, shape kept, scaled up or down.
        const std::tuple<QSize, QRect, QRect> rows[] = {
            {{400, 200}, {0, 0, 300, 300}, {0, 75, 300, 150}}, {{40, 20}, {0, 0, 200, 200}, {0, 50, 200, 100}},
            {{400, 200}, {0, 0, 1000, 200}, {300, 0, 400, 200}}, {{3, 2}, {0, 0, 10, 5}, {1, 0, 7, 5}},
            {{100, 100}, {10, 20, 200, 100}, {60, 20, 100, 100}}, {{0, 0}, {0, 0, 50, 30}, {10, 0, 30, 30}},
            {{100, 50}, {0, 0, 101, 101}, {0, 25, 101, 50}}, {{120, 80}, {0, 0, 120, 80}, {0, 0, 120, 80}}};
        for (const auto& [picture, target, drawn] : rows)
            QCOMPARE(FitPictureRect(picture.width(), picture.height(), target), drawn);
    }

    void sizesFollowTheFileResolution_data() {
        QTest::addColumn<int>("dpm"); QTest::addColumn<QSize>("natural"); QTest::addColumn<QSize>("pixels");
        // 3780 dots per metre is 96 dpi, the screen's own resolution here.
        QTest::newRow("96 dpi") << 3780 << QSize(7937, 4762) << QSize(300, 180);
        QTest::newRow("192 dpi") << 7559 << QSize(3969, 2381) << QSize(150, 90);
        QTest::newRow("48 dpi") << 1890 << QSize(15873, 9524) << QSize(600, 360);
    }

    void sizesFollowTheFileResolution() {
        QFETCH(int, dpm); QFETCH(QSize, natural); QFETCH(QSize, pixels);
        QTemporaryDir dir;
        const QString path = WriteStripes(dir, QStringLiteral("bild.png"), 300, 180, dpm);
        RecordingPresenter boxes; cPicture picture;
        QVERIFY(!picture.Load(path) && picture.IsLoaded());
        QCOMPARE(QSize(picture.NaturalWidth(), picture.NaturalHeight()), natural);
        QCOMPARE(QSize(picture.PixelWidth(), picture.PixelHeight()), pixels);
        QVERIFY(boxes.boxes.empty());
        // Into a 300 x 300 canvas it is drawn 300 x 180 from y = 60, stripes in order.
        QImage canvas(300, 300, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        picture.Draw(painter, canvas.rect()); painter.end();
        QList<QRgb> column;
        for (int y : {40, 90, 150, 210, 260})
            column << canvas.pixel(150, y);
        QCOMPARE(column, QList<QRgb>({qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 255, 0),
                                      qRgb(0, 0, 255), qRgb(255, 255, 255)}));
    }

    void unreadablePictureIsReported_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // empty: the file does not exist
        QTest::newRow("missing") << "fehlt.png" << QByteArray();
        QTest::newRow("not a picture") << "text.png" << QByteArray("kein Bild");
        QTest::newRow("truncated png") << "kaputt.png"
                                       << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
        // Neither stalls the window: nobody writes into the FIFO, the 2 GB are never read.
        QTest::newRow("FIFO") << "fifo.png" << QByteArray("fifo");
        QTest::newRow("2 GB") << "riesig.png" << QByteArray("huge");
    }

    void unreadablePictureIsReported() {
        QFETCH(QString, name); QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (content == "fifo") {
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
            if (content == "huge")
                QVERIFY(file.resize(qint64(2) << 30)); // sparse
        }
        RecordingPresenter boxes; cPicture picture;
        // A picture loaded before is released by the failed load.
        QCOMPARE(picture.Load(WriteStripes(dir, QStringLiteral("gut.png"), 30, 30, 3780)), false);
        QVERIFY(picture.Load(path) && !picture.IsLoaded());
        QCOMPARE(QList<int>({picture.NaturalWidth(), picture.PixelHeight(), picture.PixelWidth()}),
                 QList<int>({0, 0, 0}));
        QCOMPARE(boxes.boxes.size(), std::size_t(1));
        QCOMPARE(boxes.boxes[0].caption + "|" + boxes.boxes[0].text,
                 "Quorvant|Fehler. Datei konnte nicht geladen werden:" + path.toStdString());
        QCOMPARE(boxes.boxes[0].style, std::uint32_t(0x30));
        // The picture window reports the same and does not open.
        CPictureDlg dlg(path);
        QVERIFY(dlg.exec() == QDialog::Rejected && !dlg.isVisible());
        QVERIFY(boxes.boxes.size() == 2 && boxes.boxes[1].style == 0x30);
    }

    void windowFitsPictureAndTitle() {
        // Picture and window size; width 0: as wide as the title needs. A tiny picture is
        // scaled up with its shape kept, the short side at 80 pixels.
        const std::pair<QSize, QSize> rows[] = {
            {{700, 300}, {700, 300}}, {{240, 120}, {0, 120}}, {{20, 10}, {0, 80}}};
        for (const auto& [picture, window] : rows) {
            QTemporaryDir dir;
            CPictureDlg dlg(WriteStripes(dir, "bild.png", picture.width(), picture.height(), 3780));
            QVERIFY(dlg.Prepare());
            QCOMPARE(dlg.windowTitle(),
                     "Bildanzeige (Klicken Sie auf das Bild, um das Fenster zu schließen)");
            QCOMPARE(dlg.objectName(), QStringLiteral("dlg142"));
            QCOMPARE(QSize(dlg.Picture().PixelWidth(), dlg.Picture().PixelHeight()), picture);
            const int titleWidth = CaptionWidth(dlg, dlg.windowTitle());
            QVERIFY(titleWidth > 300 && titleWidth < 700);
            QCOMPARE(dlg.size(), QSize(window.width() ? window.width() : titleWidth, window.height()));
        }
    }

    void oneClickClosesTheWindow() {
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
        QVERIFY(script.Done() && sawPicture && !dlg.isVisible());
    }

    // Qt Multimedia lives in a module beside the program, loaded on the first sound; without
    // it sounds stay silent and one box says why (before any test has loaded the module).
    void soundModuleMissingIsSaidOnce() {
        QVERIFY(QFile::exists(BuildDir(QStringLiteral("shell/quorvant-sound.so"))));
        QCOMPARE(SoundModulePaths().first(),
                 QCoreApplication::applicationDirPath() + QStringLiteral("/quorvant-sound.so"));
        RecordingPresenter boxes;
        qputenv("QUORVANT_SOUND_MODULE", "/nonexistent/quorvant-sound.so");
        for (int round = 0; round < 2; ++round) {
            cQtSoundPlayer player;
            QVERIFY(!player.Open(kTone.toStdString()) && !player.Player() && !player.CanPlay());
            player.Play(); player.Pause(); player.Stop();
        }
        QVERIFY(!HasAudioOutput());
        qunsetenv("QUORVANT_SOUND_MODULE");
        QCOMPARE(boxes.boxes.size(), size_t(1));
        QCOMPARE(boxes.boxes[0].caption, std::string("Warnung"));
        QCOMPARE(boxes.boxes[0].text, Cp1252FromUtf8(
            "Töne können nicht abgespielt werden: Das Tonmodul „quorvant-sound.so“ fehlt oder "
            "passt nicht zu diesem Programm.\r\nGesucht in:\r\n/nonexistent/quorvant-sound.so"));
        cQtSoundPlayer player;
        QVERIFY(player.Open(kTone.toStdString()) && player.Player());
        QCOMPARE(boxes.boxes.size(), size_t(1));
    }

    // The sound player behind the training view; nothing is played aloud.
    void soundMissingFileOpensNothing() {
        for (const QString& path : {QStringLiteral("/nonexistent/ton.wav"), QString(),
                                    QStringLiteral(QUORVANT_SOURCE_DIR "/resources")}) {
            cQtSoundPlayer player;
            QVERIFY2(!player.Open(path.toStdString()), qPrintable(path));
            QVERIFY(!player.Player() && !player.CanPlay());
            // Commands without a sound do nothing.
            player.Play(); player.Pause(); player.Stop();
            QVERIFY(!player.Player());
        }
    }

    void soundOpenStopReopenAndClose() {
        cQtSoundPlayer player;
        QVERIFY(player.Open(kTone.toStdString()) && player.Player());
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
        QVERIFY(!player.Player() && !player.CanPlay());
        // The earlier sound is closed even when the new one cannot be opened.
        QVERIFY(player.Open(kTone.toStdString()));
        QVERIFY(!player.Open("/nonexistent/ton.wav") && !player.Player());
    }

    void soundWithoutOutputDeviceStaysSilent() {
        if (HasAudioOutput())
            QSKIP("this machine has an audio output device");
        cQtSoundPlayer player;
        QVERIFY(player.Open(kTone.toStdString()));
        QTRY_VERIFY(player.Player()->mediaStatus() == QMediaPlayer::LoadedMedia);
        QVERIFY(!player.CanPlay());
        // Playing into a sink that could not be opened used to crash the program a moment
        // after the start; now nothing starts at all (a started player is playing at once).
        player.Play();
        QCOMPARE(player.Player()->playbackState(), QMediaPlayer::StoppedState);
        player.Pause(); player.Play();
        QVERIFY(player.Player()->playbackState() != QMediaPlayer::PlayingState);
    }

    void soundVolumeIsClamped() {
        const std::pair<int, float> rows[] = {{1000, 1.0f}, {500, 0.5f}, {0, 0.0f}, {2000, 1.0f}, {-5, 0.0f}};
        for (const auto& [volume, output] : rows) {
            cQtSoundPlayer player;
            player.SetVolume(volume); // before a sound is open: kept for the next one
            QVERIFY(player.Open(kTone.toStdString()));
            QCOMPARE(player.Player()->audioOutput()->volume(), output);
            player.SetVolume(1000);
            QCOMPARE(player.Player()->audioOutput()->volume(), 1.0f);
        }
    }
};

QTEST_MAIN(tst_Media)
#include "tst_media.moc"
