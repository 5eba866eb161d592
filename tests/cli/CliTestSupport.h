#pragma once
// Shared pieces of the command-line tests: a field-by-field comparison of training data,
// a training file that uses every field the file format carries, and running the tool
// in-process.

#include "cli/Cli.h"
#include "common/SameTrainingData.h"
#include "data/TrainingData.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace clitest {

/// Compares every stored field of two tasks (the fields the file does not store are
/// left out).
inline void ExpectSameTask(const cTask& a, const cTask& b, const std::string& where)
{
    SCOPED_TRACE(where);
    EXPECT_EQ(a.m_strTaskNo, b.m_strTaskNo);
    EXPECT_EQ(a.m_strCategory, b.m_strCategory);
    EXPECT_EQ(a.m_nType, b.m_nType);
    EXPECT_EQ(a.m_strQuestion, b.m_strQuestion);
    EXPECT_EQ(a.m_strSolution, b.m_strSolution);
    EXPECT_EQ(a.m_bSelfAssess, b.m_bSelfAssess);
    EXPECT_EQ(a.m_nPoints, b.m_nPoints);
    EXPECT_EQ(a.m_nStats, b.m_nStats);
    EXPECT_EQ(a.m_bChoiceFlag, b.m_bChoiceFlag);
    EXPECT_EQ(a.m_nChoiceValue, b.m_nChoiceValue);
    EXPECT_EQ(a.m_nChoiceCount, b.m_nChoiceCount);
    EXPECT_EQ(a.m_strChoice, b.m_strChoice);
    EXPECT_EQ(a.m_strChoiceExtra, b.m_strChoiceExtra);
    EXPECT_EQ(a.m_bChoiceRight, b.m_bChoiceRight);
    EXPECT_EQ(a.m_nPatternCount, b.m_nPatternCount);
    EXPECT_EQ(a.m_strPattern, b.m_strPattern);
    EXPECT_EQ(a.m_strSound, b.m_strSound);
    EXPECT_EQ(a.m_strPicture, b.m_strPicture);
    EXPECT_EQ(a.m_nPictureSize, b.m_nPictureSize);
    EXPECT_EQ(a.m_nPicturePlace, b.m_nPicturePlace);
}

inline void ExpectSameData(const cTrainingData& a, const cTrainingData& b)
{
    testfiles::ExpectSameSettings(a, b);
    ASSERT_EQ(a.m_aTasks.size(), b.m_aTasks.size());
    for (std::size_t i = 0; i < a.m_aTasks.size(); ++i)
        ExpectSameTask(a.m_aTasks[i], b.m_aTasks[i], "task " + std::to_string(i));
    testfiles::ExpectSameQuestionnaires(a, b);
}

/// Every byte value once, so texts test the whole code page.
inline std::string AllBytes()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

/// Training data as reading leaves it, touching every field the file carries: every
/// task type, 0 and 8 points, counters up to the 32-bit limit, ten answers with extra
/// texts, ten patterns with slot 0 in use, picture placement, sounds, all 256 byte
/// values in texts, questionnaires with and without exam, thresholds and icons.
inline cTrainingData EdgeData(std::uint8_t crypt)
{
    cTrainingData d;
    d.m_nCrypt = crypt;
    d.m_bShowAll = true;
    d.m_bRandom = true;
    d.m_nMinPercent = 255;
    d.m_nMinRight = 7;
    d.m_nMaxWords = 0;
    d.m_bAllowMissing = true;
    d.m_bAllowExtra = false;
    d.m_bAllowSwap = true;
    d.m_strQuestionTemplate = "Frage: {frage}\r\n\xC4\xD6\xDC\x80";
    d.m_strRightTemplate = AllBytes();
    d.m_strWrongTemplate = std::string(300, 'w'); // a long string
    d.m_aColumnTitle = {"Statistik", "Frage", "Gr\xF6\xDF" "e", ""};
    d.m_aColumnWidth = {100, 450, 0, 4294967295u};
    d.m_aColumnKind = {6, 2, 99, 0};

    cTask text;
    text.m_strTaskNo = "1";
    text.m_strCategory = "Vokabeln";
    text.m_nType = TaskTypeText;
    text.m_strQuestion = "Haus";
    text.m_strSolution = "house";
    text.m_nPoints = 1;
    text.m_nStats[0] = 3;
    text.m_nStats[1] = 4294967295u;
    text.m_nPatternCount = 2;
    text.m_strPattern[1] = "house|home";
    d.m_aTasks.push_back(text);

    cTask choice;
    choice.m_strTaskNo = "2";
    choice.m_strCategory = "Recht";
    choice.m_nType = TaskTypeMultipleChoice;
    choice.m_strQuestion = "Welche?";
    choice.m_bChoiceFlag = true;
    choice.m_nChoiceValue = 200;
    choice.m_nChoiceCount = 10;
    for (int i = 0; i < 10; ++i) {
        choice.m_strChoice[i] = "Antwort " + std::to_string(i);
        choice.m_bChoiceRight[i] = i % 3 == 0;
    }
    choice.m_strChoiceExtra[4] = "Erkl\xE4rung";
    choice.m_nPoints = 8;
    for (int k = 0; k <= 8; ++k)
        choice.m_nStats[k] = static_cast<std::uint32_t>(k * 1000 + 1);
    choice.m_bSelfAssess = true;
    d.m_aTasks.push_back(choice);

    cTask media;
    media.m_strTaskNo = "3";
    media.m_strCategory = "";
    media.m_nType = TaskTypeClickPicture;
    media.m_strQuestion = std::string("\0nul", 4);
    media.m_nPoints = 0;
    media.m_nStats[0] = 12;
    media.m_strPicture = "bilder\\karte.bmp";
    media.m_nPictureSize = 2;
    media.m_nPicturePlace = 1;
    media.m_strSound = "ton.wav";
    media.m_nPatternCount = 10;
    for (int i = 0; i < 10; ++i)
        media.m_strPattern[i] = i == 5 ? std::string() : "p" + std::to_string(i);
    d.m_aTasks.push_back(media);

    cTask number;
    number.m_strTaskNo = "3"; // duplicate task numbers are allowed
    number.m_strCategory = "Zahlen";
    number.m_nType = TaskTypeNumber;
    number.m_strSolution = "42";
    number.m_nPoints = 3;
    number.m_nStats = {1, 2, 3, 4, 0, 0, 0, 0, 0, 0};
    number.m_strPicture = "a.png";
    number.m_nPictureSize = 1;
    d.m_aTasks.push_back(number);

    cTask plain; // type 0, everything at its default
    d.m_aTasks.push_back(plain);

    cQuestionnaire none;
    none.m_strTitle = "\xDC" "bung";
    none.m_aTaskIndex = {4, 0, 0, 3};
    d.m_aQuestionnaires.push_back(none);

    cQuestionnaire exam;
    exam.m_strTitle = "Pr\xFC" "fung";
    exam.m_nExamSeconds = 1800;
    exam.m_nPassPoints = 20;
    exam.m_nRetakePoints = 15;
    exam.m_nIcon = -3;
    exam.m_aTaskIndex = {1, 2, 3};
    d.m_aQuestionnaires.push_back(exam);

    cQuestionnaire open;
    open.m_strTitle = "Offen";
    open.m_nExamSeconds = 0;
    open.m_nIcon = 2147483647;
    d.m_aQuestionnaires.push_back(open);

    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    for (std::uint32_t i = 0; i < d.m_aTasks.size(); ++i)
        all.m_aTaskIndex.push_back(i);
    d.m_aQuestionnaires.push_back(all);
    d.m_nTimedCount = 2;
    return d;
}

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs quorvant-cli in-process with these arguments (the program name is added).
inline CliRun RunTool(const std::vector<std::string>& args, const std::string& input = "")
{
    std::vector<const char*> argv{"quorvant-cli"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.status = RunCli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

} // namespace clitest
