#include "data/FileSettings.h"

#include "base/Number.h"

std::uint8_t ByteFromText(const std::string& text)
{
    // The conversion wraps, as a byte member assigned from atol does.
    return static_cast<std::uint8_t>(static_cast<unsigned long long>(AtolValue(text)) & 0xFFu);
}

cFileSettingsTexts FileSettingsTexts(const cTrainingData& data)
{
    cFileSettingsTexts texts;
    texts.random = data.m_bRandom ? 1 : 0;
    texts.minPercent = FormatNumber(data.m_nMinPercent, 0);
    texts.minRight = FormatNumber(data.m_nMinRight, 0);
    texts.maxWords = FormatNumber(data.m_nMaxWords, 0);
    texts.allowSwap = data.m_bAllowSwap ? 1 : 0;
    texts.allowExtra = data.m_bAllowExtra ? 1 : 0;
    texts.allowMissing = data.m_bAllowMissing ? 1 : 0;
    return texts;
}

void StoreFileSettingsTexts(const cFileSettingsTexts& texts, cTrainingData& data)
{
    data.m_bRandom = texts.random != 0;
    data.m_nMinPercent = ByteFromText(texts.minPercent);
    data.m_nMinRight = ByteFromText(texts.minRight);
    data.m_nMaxWords = ByteFromText(texts.maxWords);
    data.m_bAllowMissing = texts.allowMissing != 0;
    data.m_bAllowExtra = texts.allowExtra != 0;
    data.m_bAllowSwap = texts.allowSwap != 0;
}

cFilePropsValues FilePropsValues(const cTrainingData& data)
{
    cFilePropsValues values;
    values.showAll = data.m_bShowAll ? 1 : 0;
    values.crypt = data.m_nCrypt < kCryptEntries ? data.m_nCrypt : -1;
    values.questionTemplate = data.m_strQuestionTemplate;
    values.rightTemplate = data.m_strRightTemplate;
    values.wrongTemplate = data.m_strWrongTemplate;
    return values;
}

void StoreFilePropsValues(const cFilePropsValues& values, cTrainingData& data)
{
    data.m_bShowAll = values.showAll != 0;
    data.m_nCrypt = static_cast<std::uint8_t>(values.crypt);
    data.m_strQuestionTemplate = values.questionTemplate;
    data.m_strRightTemplate = values.rightTemplate;
    data.m_strWrongTemplate = values.wrongTemplate;
}
