// The bundled sample training file: what it contains, that it is exactly what its
// generator writes, and that its help file and media sit beside the built program.

#include "data/TrainingData.h"
#include "practice/Media.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <numeric>

namespace {

const QString kResources = QStringLiteral(QUORVANT_SOURCE_DIR "/resources/");

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString BuildDir(const QString& sub) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../") + sub);
}

} // namespace

class tst_Sample : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void contentServesTheTour();
    void examCanBePassed();
    void generatorWritesTheCommittedFile();
    void mediaAndSideFilesBesideTheBuiltProgram();

private:
    cTrainingData m_data;
};

void tst_Sample::initTestCase() {
    QCOMPARE(m_data.ReadTrainingFile((kResources + QStringLiteral("beispiel.vdr")).toStdString()), 0);
}

void tst_Sample::contentServesTheTour() {
    QStringList titles;
    for (const cQuestionnaire& q : m_data.m_aQuestionnaires)
        titles << QString::fromLatin1(q.m_strTitle.c_str()); // Latin-1 is Windows-1252 here
    QCOMPARE(titles, QStringList({QStringLiteral("Vokabeln Englisch"),
                                  QStringLiteral("Multiple Choice: Allgemeinwissen"),
                                  QStringLiteral("Wissensfragen mit Selbstbewertung"),
                                  QStringLiteral("Bild und Ton"),
                                  QString::fromUtf8("Prüfung: Gemischte Fragen (5 Minuten)"),
                                  QStringLiteral("Alle Aufgaben")}));
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
        QVERIFY(std::any_of(task.m_bChoiceRight.begin(),
                            task.m_bChoiceRight.begin() + task.m_nChoiceCount,
                            [](bool right) { return right; }));
    }
    for (std::uint32_t i : m_data.m_aQuestionnaires[2].m_aTaskIndex)
        QVERIFY(m_data.m_aTasks[i].m_bSelfAssess && m_data.m_aTasks[i].m_nPoints >= 2);
    // Long model answers must not be filtered away by the word limit.
    QCOMPARE(int(m_data.m_nMaxWords), 0);
}

void tst_Sample::examCanBePassed() {
    const cQuestionnaire& exam = m_data.m_aQuestionnaires[4];
    QCOMPARE(exam.m_nExamSeconds, 300);
    QCOMPARE(exam.m_nPassPoints, 10u);
    QCOMPARE(exam.m_nRetakePoints, 7u);
    const unsigned total = std::accumulate(
        exam.m_aTaskIndex.begin(), exam.m_aTaskIndex.end(), 0u,
        [this](unsigned sum, std::uint32_t i) { return sum + m_data.m_aTasks[i].m_nPoints; });
    QCOMPARE(total, 14u);
    // The only timed questionnaire, so the exam simulation always picks it.
    QCOMPARE(m_data.m_nTimedCount, 1);
}

void tst_Sample::generatorWritesTheCommittedFile() {
    const QString cli = BuildDir(QStringLiteral("cli/quorvant-cli"));
    if (!QFileInfo(cli).isExecutable())
        QSKIP("quorvant-cli is not built beside the tests");
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("beispiel.vdr"));
    QProcess import;
    import.start(cli, {QStringLiteral("import"), kResources + QStringLiteral("beispiel.json"), out});
    QVERIFY(import.waitForFinished(30000));
    QCOMPARE(import.exitCode(), 0);
    QCOMPARE(FileBytes(out), FileBytes(kResources + QStringLiteral("beispiel.vdr")));
}

void tst_Sample::mediaAndSideFilesBesideTheBuiltProgram() {
    const QString built = BuildDir(QStringLiteral("shell/"));
    for (const char* name : {"hilfe_vdr.html", "beispiel_flagge.png", "beispiel_kammerton.wav"}) {
        const QByteArray source = FileBytes(kResources + QLatin1String(name));
        QVERIFY2(!source.isEmpty(), name);
        QVERIFY2(FileBytes(built + QLatin1String(name)) == source, name);
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

QTEST_MAIN(tst_Sample)
#include "tst_sample.moc"
