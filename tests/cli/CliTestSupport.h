#pragma once
// Shared pieces of the command-line tests: a training file that uses every field the file
// format carries, and running the tool in-process.

#include "cli/Cli.h"
#include "common/SameTrainingData.h"
#include "data/TrainingData.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace clitest {

using testfiles::ExpectSameData;

/// Training data as reading leaves it, touching every field the file carries: every
/// task type, 0 and 8 points, counters up to the 32-bit limit, ten answers with extra
/// texts, ten patterns with slot 0 in use, picture placement, sounds, all 256 byte
/// values in texts, questionnaires with and without exam, thresholds and icons.
inline cTrainingData EdgeData(std::uint8_t crypt) {
    cTrainingData d;
    d.m_nCrypt = crypt; d.m_bShowAll = true; d.m_bRandom = true;
    d.m_nMinPercent = 255; d.m_nMinRight = 7; d.m_nMaxWords = 0;
    d.m_bAllowMissing = true; d.m_bAllowExtra = false; d.m_bAllowSwap = true;
    d.m_strQuestionTemplate = "Frage: {frage}\r\n\xC4\xD6\xDC\x80";
    for (int b = 0; b < 256; ++b) // every byte value once: the whole code page
        d.m_strRightTemplate.push_back(static_cast<char>(b));
    d.m_strWrongTemplate = std::string(300, 'w'); // a long string
    d.m_aColumnTitle = {"Statistik", "Frage", "Gr\xF6\xDF" "e", ""};
    d.m_aColumnWidth = {100, 450, 0, 4294967295u};
    d.m_aColumnKind = {6, 2, 99, 0};

    auto task = [](const char* no, const char* category, std::uint8_t type, std::string question,
                   const char* solution, int points) {
        cTask t;
        t.m_strTaskNo = no; t.m_strCategory = category; t.m_nType = type;
        t.m_strQuestion = std::move(question); t.m_strSolution = solution;
        t.m_nPoints = static_cast<std::uint8_t>(points);
        return t;
    };
    cTask text = task("1", "Vokabeln", TaskTypeText, "Haus", "house", 1);
    text.m_nStats[0] = 3; text.m_nStats[1] = 4294967295u;
    text.m_nPatternCount = 2; text.m_strPattern[1] = "house|home";
    d.m_aTasks.push_back(text);

    cTask choice = task("2", "Recht", TaskTypeMultipleChoice, "Welche?", "", 8);
    choice.m_bChoiceFlag = true; choice.m_nChoiceValue = 200; choice.m_nChoiceCount = 10;
    for (int i = 0; i < 10; ++i) {
        choice.m_strChoice[i] = "Antwort " + std::to_string(i);
        choice.m_bChoiceRight[i] = i % 3 == 0;
    }
    choice.m_strChoiceExtra[4] = "Erkl\xE4rung";
    for (int k = 0; k <= 8; ++k)
        choice.m_nStats[k] = static_cast<std::uint32_t>(k * 1000 + 1);
    choice.m_bSelfAssess = true;
    d.m_aTasks.push_back(choice);

    cTask media = task("3", "", TaskTypeClickPicture, std::string("\0nul", 4), "", 0);
    media.m_nStats[0] = 12;
    media.m_strPicture = "bilder\\karte.bmp"; media.m_nPictureSize = 2; media.m_nPicturePlace = 1;
    media.m_strSound = "ton.wav"; media.m_nPatternCount = 10;
    for (int i = 0; i < 10; ++i)
        media.m_strPattern[i] = i == 5 ? std::string() : "p" + std::to_string(i);
    d.m_aTasks.push_back(media);

    // Duplicate task numbers are allowed.
    cTask number = task("3", "Zahlen", TaskTypeNumber, "", "42", 3);
    number.m_nStats = {1, 2, 3, 4, 0, 0, 0, 0, 0, 0};
    number.m_strPicture = "a.png"; number.m_nPictureSize = 1;
    d.m_aTasks.push_back(number);
    d.m_aTasks.emplace_back(); // type 0, everything at its default

    cQuestionnaire none, exam, open, all;
    none.m_strTitle = "\xDC" "bung"; none.m_aTaskIndex = {4, 0, 0, 3};
    exam.m_strTitle = "Pr\xFC" "fung"; exam.m_nExamSeconds = 1800; exam.m_nPassPoints = 20;
    exam.m_nRetakePoints = 15; exam.m_nIcon = -3; exam.m_aTaskIndex = {1, 2, 3};
    open.m_strTitle = "Offen"; open.m_nExamSeconds = 0; open.m_nIcon = 2147483647;
    all.m_strTitle = kAllTasksTitle; all.m_aTaskIndex = {0, 1, 2, 3, 4};
    d.m_aQuestionnaires = {none, exam, open, all};
    d.m_nTimedCount = 2;
    return d;
}

struct CliRun {
    int status = -1;
    std::string out, err;
};

/// Runs quorvant-cli in-process with these arguments (the program name is added).
inline CliRun RunTool(const std::vector<std::string>& args, const std::string& input = "") {
    std::vector<const char*> argv{"quorvant-cli"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::istringstream in(input);
    std::ostringstream out, err;
    CliRun run;
    run.status = RunCli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    run.out = out.str(); run.err = err.str();
    return run;
}

} // namespace clitest
