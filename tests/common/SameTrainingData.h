#pragma once
// Field-by-field comparisons of training data for gtest, shared by the tests that write a
// file and read it back: a failure names the field instead of a whole-object mismatch.

#include "data/TrainingData.h"

#include <gtest/gtest.h>

#include <string>

namespace testfiles {

/// Compares the file-wide settings: options, templates and list columns.
inline void ExpectSameSettings(const cTrainingData& a, const cTrainingData& b)
{
    EXPECT_EQ(a.m_nCrypt, b.m_nCrypt);
    EXPECT_EQ(a.m_bShowAll, b.m_bShowAll);
    EXPECT_EQ(a.m_bRandom, b.m_bRandom);
    EXPECT_EQ(a.m_nMinPercent, b.m_nMinPercent);
    EXPECT_EQ(a.m_nMinRight, b.m_nMinRight);
    EXPECT_EQ(a.m_nMaxWords, b.m_nMaxWords);
    EXPECT_EQ(a.m_bAllowMissing, b.m_bAllowMissing);
    EXPECT_EQ(a.m_bAllowExtra, b.m_bAllowExtra);
    EXPECT_EQ(a.m_bAllowSwap, b.m_bAllowSwap);
    EXPECT_EQ(a.m_strQuestionTemplate, b.m_strQuestionTemplate);
    EXPECT_EQ(a.m_strRightTemplate, b.m_strRightTemplate);
    EXPECT_EQ(a.m_strWrongTemplate, b.m_strWrongTemplate);
    EXPECT_EQ(a.m_aColumnTitle, b.m_aColumnTitle);
    EXPECT_EQ(a.m_aColumnWidth, b.m_aColumnWidth);
    EXPECT_EQ(a.m_aColumnKind, b.m_aColumnKind);
    EXPECT_EQ(a.m_nTimedCount, b.m_nTimedCount);
}

/// Compares the questionnaires one by one, every stored field.
inline void ExpectSameQuestionnaires(const cTrainingData& a, const cTrainingData& b)
{
    ASSERT_EQ(a.m_aQuestionnaires.size(), b.m_aQuestionnaires.size());
    for (std::size_t i = 0; i < a.m_aQuestionnaires.size(); ++i) {
        SCOPED_TRACE("questionnaire " + std::to_string(i));
        const cQuestionnaire& qa = a.m_aQuestionnaires[i];
        const cQuestionnaire& qb = b.m_aQuestionnaires[i];
        EXPECT_EQ(qa.m_strTitle, qb.m_strTitle);
        EXPECT_EQ(qa.m_nExamSeconds, qb.m_nExamSeconds);
        EXPECT_EQ(qa.m_nPassPoints, qb.m_nPassPoints);
        EXPECT_EQ(qa.m_nRetakePoints, qb.m_nRetakePoints);
        EXPECT_EQ(qa.m_nIcon, qb.m_nIcon);
        EXPECT_EQ(qa.m_aTaskIndex, qb.m_aTaskIndex);
    }
}

} // namespace testfiles
