#pragma once
// Field lists of training data for gtest, shared by the tests that write a file and read
// it back or compare a record with its defaults: one comparison covers every field, and
// a failure prints the fields side by side.

#include "data/TrainingData.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace testfiles {

/// The fields of a task that the training file stores.
inline auto StoredTaskFields(const cTask& t) {
    return std::tie(t.m_strTaskNo, t.m_strCategory, t.m_nType, t.m_strQuestion, t.m_strSolution,
                    t.m_bSelfAssess, t.m_nPoints, t.m_nStats, t.m_bChoiceFlag, t.m_nChoiceValue,
                    t.m_nChoiceCount, t.m_strChoice, t.m_strChoiceExtra, t.m_bChoiceRight,
                    t.m_nPatternCount, t.m_strPattern, t.m_strSound, t.m_strPicture,
                    t.m_nPictureSize, t.m_nPicturePlace);
}

/// Every field of a task, the ones kept only in memory too.
inline auto AllTaskFields(const cTask& t) {
    return std::tuple_cat(StoredTaskFields(t),
                          std::make_tuple(t.m_strAnswer, std::string(t.m_strSeparators),
                                          t.m_nResult, t.m_bCaseSensitive, t.m_bChoiceTicked));
}

/// The file-wide settings: options, templates and list columns.
inline auto SettingsFields(const cTrainingData& d) {
    return std::tie(d.m_nCrypt, d.m_bShowAll, d.m_bRandom, d.m_nMinPercent, d.m_nMinRight,
                    d.m_nMaxWords, d.m_bAllowMissing, d.m_bAllowExtra, d.m_bAllowSwap,
                    d.m_strQuestionTemplate, d.m_strRightTemplate, d.m_strWrongTemplate,
                    d.m_aColumnTitle, d.m_aColumnWidth, d.m_aColumnKind, d.m_nTimedCount);
}

/// The stored fields of a questionnaire.
inline auto QuestionnaireFields(const cQuestionnaire& q) {
    return std::tie(q.m_strTitle, q.m_nExamSeconds, q.m_nPassPoints, q.m_nRetakePoints, q.m_nIcon,
                    q.m_aTaskIndex);
}

/// Compares the file-wide settings: options, templates and list columns.
inline void ExpectSameSettings(const cTrainingData& a, const cTrainingData& b) {
    EXPECT_EQ(SettingsFields(a), SettingsFields(b));
}

/// Compares the questionnaires one by one, every stored field.
inline void ExpectSameQuestionnaires(const cTrainingData& a, const cTrainingData& b) {
    ASSERT_EQ(a.m_aQuestionnaires.size(), b.m_aQuestionnaires.size());
    for (std::size_t i = 0; i < a.m_aQuestionnaires.size(); ++i)
        EXPECT_EQ(QuestionnaireFields(a.m_aQuestionnaires[i]),
                  QuestionnaireFields(b.m_aQuestionnaires[i]))
            << "questionnaire " << i;
}

/// Compares settings, every stored field of every task, and the questionnaires.
inline void ExpectSameData(const cTrainingData& a, const cTrainingData& b) {
    ExpectSameSettings(a, b);
    ASSERT_EQ(a.m_aTasks.size(), b.m_aTasks.size());
    for (std::size_t i = 0; i < a.m_aTasks.size(); ++i)
        EXPECT_EQ(StoredTaskFields(a.m_aTasks[i]), StoredTaskFields(b.m_aTasks[i])) << "task " << i;
    ExpectSameQuestionnaires(a, b);
}

} // namespace testfiles
