#include "practice/Editor.h"

#include "base/Cp1252.h"
#include "base/Number.h"
#include "base/Message.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Position in a list of count entries, or -1 when the stored value names none.
int ComboPosition(int stored, std::size_t count)
{
    return stored >= 0 && static_cast<std::size_t>(stored) < count ? stored : -1;
}

} // namespace

const std::vector<std::string>& TaskTypeEntries()
{
    static const std::vector<std::string> entries = {"-", "Multiple Choice", "Textaufgabe",
                                                     "Zahleneingabe", "Anklickbild"};
    return entries;
}

const std::vector<std::string>& PictureSizeEntries()
{
    static const std::vector<std::string> entries = {
        "Als Button anzeigen", Cp1252FromUtf8("In Normaler Größe anzeigen"),
        "Verkleinert anzeigen"};
    return entries;
}

const std::vector<std::string>& PicturePlaceEntries()
{
    static const std::vector<std::string> entries = {
        Cp1252FromUtf8("Über der Aufgabe anzeigen"), "Unter der Aufgabe anzeigen"};
    return entries;
}

cTaskEditTexts TaskEditTexts(const cTask& task)
{
    cTaskEditTexts texts;
    texts.type = ComboPosition(task.m_nType, TaskTypeEntries().size());
    texts.question = task.m_strQuestion;
    texts.solution = task.m_strSolution;
    texts.pattern = task.m_strPattern[1];
    texts.sound = task.m_strSound;
    texts.picture = task.m_strPicture;
    texts.pictureSize = ComboPosition(task.m_nPictureSize, PictureSizeEntries().size());
    texts.picturePlace = ComboPosition(task.m_nPicturePlace, PicturePlaceEntries().size());
    texts.points = std::to_string(task.m_nPoints);
    texts.taskNo = task.m_strTaskNo;
    texts.category = task.m_strCategory;
    for (int i = 0; i < kEditorChoices; ++i) {
        texts.choices[i] = task.m_strChoice[i];
        texts.choiceRight[i] = task.m_bChoiceRight[i];
    }
    texts.selfAssess = task.m_bSelfAssess;
    return texts;
}

int CheckTaskEditTexts(const cTaskEditTexts& texts)
{
    // The field is read as atol reads it; the file keeps one counter per point value and
    // at most nine of them, so only 0 to 8 survive saving. A value outside that range is
    // refused, not silently cut to its low 8 bits.
    const long long points = AtolValue(texts.points);
    if (points >= 0 && points <= 8)
        return 0;
    (void)ShowMessage(2, Cp1252FromUtf8("Die Punktzahl muss eine ganze Zahl von 0 bis 8 sein. "
                                        "Bitte korrigieren Sie das Feld \"Punkte\"."));
    return 1;
}

void StoreTaskEditTexts(const cTaskEditTexts& texts, cTask& task)
{
    task.m_nType = static_cast<std::uint8_t>(texts.type);
    task.m_strQuestion = texts.question;
    task.m_strSolution = texts.solution;
    task.m_strPattern[1] = texts.pattern;
    task.m_nPatternCount = texts.pattern.empty() ? 0 : 2;
    task.m_strSound = texts.sound;
    task.m_strPicture = texts.picture;
    task.m_nPictureSize = static_cast<std::uint8_t>(texts.pictureSize);
    task.m_nPicturePlace = static_cast<std::uint8_t>(texts.picturePlace);
    const auto points = static_cast<std::uint8_t>(AtolValue(texts.points));
    RescaleStatistics(task, points);
    task.m_nPoints = points;
    task.m_strTaskNo = texts.taskNo;
    task.m_strCategory = texts.category;
    int lastUsed = 0;
    for (int i = 0; i < kEditorChoices; ++i) {
        task.m_strChoice[i] = texts.choices[i];
        task.m_bChoiceRight[i] = texts.choiceRight[i];
        if (!texts.choices[i].empty())
            lastUsed = i + 1;
    }
    if (lastUsed > 0)
        task.m_nChoiceCount = static_cast<std::uint8_t>(lastUsed);
    task.m_bSelfAssess = texts.selfAssess;
}

cTask NewTaskProposal(const cTrainingData& data)
{
    cTask task;
    if (data.m_aTasks.empty()) {
        task.m_strTaskNo = "1";
        task.m_strCategory.clear();
        return task;
    }
    const cTask& last = data.m_aTasks.back();
    task.m_strCategory = last.m_strCategory;
    const long long number = AtolValue(last.m_strTaskNo);
    std::string proposal = std::to_string(number == LLONG_MAX ? number : number + 1);
    task.m_strTaskNo.swap(proposal);
    return task;
}

cSplitTexts SplitTexts(const cQuestionnaire& q, const cTrainingData& data)
{
    cSplitTexts texts;
    long long total = 0;
    bool first = true;
    for (const std::uint32_t index : q.m_aTaskIndex) {
        if (index >= data.m_aTasks.size())
            continue;
        const cTask& task = data.m_aTasks[index];
        if (!first)
            texts.taskList += ',';
        texts.taskList += task.m_strTaskNo;
        first = false;
        total += task.m_nPoints;
    }
    texts.name = q.m_strTitle;
    // A questionnaire without exam shows an empty time; "0" would read as an exam
    // without time limit.
    if (q.m_nExamSeconds >= 0)
        texts.time = std::to_string(q.m_nExamSeconds / 60);
    // Thresholds are compared as signed numbers, so they are shown as such too.
    texts.passPoints = std::to_string(static_cast<std::int32_t>(q.m_nPassPoints));
    texts.retakePoints = std::to_string(static_cast<std::int32_t>(q.m_nRetakePoints));
    texts.totalPoints = std::to_string(total);
    return texts;
}

int ApplySplitTexts(const cSplitTexts& texts, cQuestionnaire& q, const cTrainingData& data)
{
    int unknown = 0;
    if (!texts.taskList.empty()) {
        std::vector<std::string> pieces;
        (void)SplitString(texts.taskList, pieces, ',');
        q.m_aTaskIndex.clear();
        for (const std::string& piece : pieces) {
            const int index = data.FindTaskByNumber(piece);
            if (index < 0) {
                ++unknown;
                (void)ShowMessage(101, piece);
                continue;
            }
            q.m_aTaskIndex.push_back(static_cast<std::uint32_t>(index));
        }
    }
    q.m_strTitle = texts.name;
    q.m_nRetakePoints = static_cast<std::uint32_t>(AtolInt32(texts.retakePoints));
    q.m_nPassPoints = static_cast<std::uint32_t>(AtolInt32(texts.passPoints));
    // An empty time keeps (or makes) the questionnaire one without exam; 0 is an exam
    // without time limit.
    if (std::all_of(texts.time.begin(), texts.time.end(), IsBlank))
        q.m_nExamSeconds = -1;
    else
        q.m_nExamSeconds = ClampInt32(static_cast<long long>(AtolInt32(texts.time)) * 60);
    return unknown;
}
