// Reading and writing of training files (*.vdr): a flat sequence of blocks, each an
// identifier string (PreChar + BlockID) followed by the block's values.

#include "data/TrainingFile.h"

#include "base/Datei.h"
#include "base/Cp1252.h"
#include "base/Message.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>


namespace {

constexpr std::int64_t kFileVersion = 100;
const char* const kFileId = "TesterFile";

// Message 1 shows its parameter as the whole text.
constexpr int kMsgText = 1;
constexpr int kMsgWrongFileId = 106;
constexpr int kMsgEmptyFile = 107;

bool IsStringTag(int tag)
{
    return tag == TYP_SSTRING || tag == TYP_LSTRING;
}

// The block identifiers the reader knows are at most three characters long: packing
// them into a number lets one switch find the block.
constexpr std::uint32_t BlockKey(std::string_view id)
{
    if (id.size() > 3)
        return 0;
    std::uint32_t key = static_cast<std::uint32_t>(id.size()) << 24;
    for (std::size_t i = 0; i < id.size(); ++i)
        key |= static_cast<std::uint32_t>(static_cast<unsigned char>(id[i])) << (16 - 8 * i);
    return key;
}

// What follows "Falsches PreChar (x)." when a known block has the wrong PreChar.
constexpr const char* kExpectOne = "\r\n'1' Erwartet. (BlockID: ";
constexpr const char* kExpectTwo = "\r\n'2' Erwartet. (BlockID: ";
constexpr const char* kExpectThree = "\r\n'3' Erwartet. (BlockID: ";
constexpr const char* kExpectHash = "\r\n'#' Erwartet. (BlockID: ";
constexpr const char* kExpectGroup = "\r\n'+' oder '-' Erwartet. (BlockID: ";
constexpr const char* kExpectMul = "\r\n'2 oder 3' Erwartet. (BlockID: ";
constexpr const char* kExpectImg = "\r\n'1', '2' oder '3' erwartet. (BlockID: ";

// One known block: the PreChars it accepts (empty: any), the expectation text a wrong
// one gets, and whether its values belong to a task.
struct BlockRule {
    std::uint32_t key;
    std::string_view preChars;
    const char* expectation;
    bool taskBlock;
};

// Task blocks first: they are by far the most frequent.
constexpr BlockRule kBlockRules[] = {
    {BlockKey("AUF"), "+-", kExpectGroup, false}, {BlockKey("TYP"), "1", kExpectOne, true},
    {BlockKey("TXT"), "1", kExpectOne, true},     {BlockKey("SOL"), "1", kExpectOne, true},
    {BlockKey("SBW"), "1", kExpectOne, true},     {BlockKey("NUM"), "", nullptr, true},
    {BlockKey("KAT"), "2", kExpectTwo, true},     {BlockKey("PA"), "2", kExpectTwo, true},
    {BlockKey("MHE"), "2", kExpectTwo, true},     {BlockKey("MUL"), "23", kExpectMul, true},
    {BlockKey("SND"), "1", kExpectOne, true},     {BlockKey("IMG"), "123", kExpectImg, true},
    {BlockKey("FB"), "+-", kExpectGroup, false},  {BlockKey("FNA"), "1", kExpectOne, false},
    {BlockKey("FZT"), "1", kExpectOne, false},    {BlockKey("FPK"), "2", kExpectTwo, false},
    {BlockKey("FI"), "1", kExpectOne, false},     {BlockKey("FRA"), "#", kExpectHash, false},
    {BlockKey("FR"), "1", kExpectOne, false},     {BlockKey("FSB"), "1", kExpectOne, false},
    {BlockKey("CRY"), "1", kExpectOne, false},    {BlockKey("ALL"), "1", kExpectOne, false},
    {BlockKey("MIX"), "1", kExpectOne, false},    {BlockKey("AUS"), "3", kExpectThree, false},
    {BlockKey("TOL"), "3", kExpectThree, false},  {BlockKey("QAT"), "3", kExpectThree, false},
    {BlockKey("HDL"), "#", kExpectHash, false},   {BlockKey("$"), "", nullptr, false},
};

const BlockRule* FindBlockRule(std::uint32_t key)
{
    for (const BlockRule& rule : kBlockRules)
        if (rule.key == key)
            return &rule;
    return nullptr;
}

int DigitValue(char pre)
{
    return (pre >= '0' && pre <= '9') ? pre - '0' : 0;
}

// ---- reading -------------------------------------------------------------------------

class cReader {
public:
    cReader(cTrainingData& data, cDatei& in) : m_data(data), m_in(in) {}

    // Reads from the first identifier to "$". 0 read, 1 failed (messages shown).
    int Run();

private:
    int Loop();

    enum class Outcome { Next, End, Fail };

    Outcome Block(char pre, const std::string& blockId);
    void ShowWrongPre(char pre, const std::string& blockId, const char* expectation);

    std::int64_t Number(std::int64_t fallback);
    bool NumberRead(std::int64_t& value);
    void SkipValues(std::int64_t count);
    void SkipBlock(char pre);
    void ReadMul(char pre);
    void ReadPattern();
    void ReadCounters(char pre);
    void ReadPicture(char pre);
    void ReadCrypt();
    Outcome TooMany(const char* what);
    void GroupTask(bool open);
    void GroupQuestionnaire(bool open);
    void OpenTask();
    void CommitTask();
    void ReserveTasks();
    cTask& Task() { return m_bInTask ? m_data.m_aTasks.back() : m_scratch; }
    void ReadList(std::int64_t count, cQuestionnaire& q);
    void ReadColumns();
    void SetSelfAssessAll(bool on);

    cTrainingData& m_data;
    cDatei& m_in;
    // The task being read lives at the back of m_aTasks while a task is open, so it is
    // never copied; values met outside a task go to m_scratch, which the next task
    // starts from.
    cTask m_scratch;
    bool m_bScratchUsed = false;
    cQuestionnaire m_questionnaire;
    bool m_bInTask = false;
    bool m_bInQuestionnaire = false;
    std::string m_strSkipId;
};

// Reads a number; a value of another type leaves fallback (the reader shows its box).
std::int64_t cReader::Number(std::int64_t fallback)
{
    std::int64_t v = fallback;
    (void)m_in.LoadUFNumber(v);
    return v;
}

bool cReader::NumberRead(std::int64_t& value)
{
    return IsNumberTag(m_in.LoadUFNumber(value));
}

// Skips count values of any stored kind. Stops at the end of the file or at a byte that
// is no value at all, since nothing behind it can be trusted to line up.
void cReader::SkipValues(std::int64_t count)
{
    for (std::int64_t i = 0; i < count; ++i) {
        if (m_in.Remaining() == 0)
            return;
        const int tag = m_in.SkipValue();
        if (!((tag >= TYP_BOOL && tag <= TYP_INT64) || tag == TYP_SSTRING))
            return;
    }
}

void cReader::SkipBlock(char pre)
{
    if (pre == '#') {
        std::int64_t n = 0;
        if (NumberRead(n) && n > 0)
            SkipValues(n);
        return;
    }
    SkipValues(DigitValue(pre));
}

void cReader::ShowWrongPre(char pre, const std::string& blockId, const char* expectation)
{
    std::string text = "Falsches PreChar (";
    if (pre != '\0')
        text += pre;
    text += ").";
    text += expectation;
    text += blockId;
    text += ")";
    (void)ShowMessage(kMsgText, text);
}

void cReader::SetSelfAssessAll(bool on)
{
    m_data.m_bSelfAssessAll = on;
    // Only tasks already committed, not the one still open.
    const std::size_t committed = m_data.m_aTasks.size() - (m_bInTask ? 1 : 0);
    for (std::size_t i = 0; i < committed; ++i)
        m_data.m_aTasks[i].m_bSelfAssess = on;
}

void cReader::ReadMul(char pre)
{
    cTask& task = Task();
    const int k = task.m_nChoiceCount;
    if (k >= kTaskSlots) {
        // An eleventh answer has no slot: consume its values so the rest still lines up.
        bool right = false;
        std::string text;
        m_in.ReadBool(right);
        (void)m_in.ReadString(text);
        if (pre == '3')
            (void)m_in.ReadString(text);
        return;
    }
    bool right = task.m_bChoiceRight[k];
    m_in.ReadBool(right);
    task.m_bChoiceRight[k] = right;
    (void)m_in.ReadString(task.m_strChoice[k]);
    if (pre == '3')
        (void)m_in.ReadString(task.m_strChoiceExtra[k]);
    task.m_nChoiceCount = static_cast<std::uint8_t>(k + 1);
}

void cReader::ReadPattern()
{
    std::int64_t k = -1;
    const bool haveIndex = NumberRead(k);
    std::string text;
    const bool haveText = IsStringTag(m_in.ReadString(text));
    if (!haveIndex || k < 0 || k >= kTaskSlots)
        return;
    cTask& task = Task();
    if (haveText)
        task.m_strPattern[static_cast<std::size_t>(k)] = std::move(text);
    if (task.m_nPatternCount < k + 1)
        task.m_nPatternCount = static_cast<std::uint8_t>(k + 1);
}

void cReader::ReadList(std::int64_t count, cQuestionnaire& q)
{
    for (std::int64_t i = 0; i < count; ++i) {
        if (m_in.Remaining() == 0)
            return;
        std::int64_t v = 0;
        if (NumberRead(v))
            q.m_aTaskIndex.push_back(static_cast<std::uint32_t>(v));
    }
}

void cReader::ReadColumns()
{
    std::int64_t n = 0;
    if (!NumberRead(n) || n <= 0)
        return;
    const std::int64_t columns = n / 3;
    for (std::int64_t i = 0; i < columns; ++i) {
        if (m_in.Remaining() == 0)
            return;
        std::string title;
        (void)m_in.ReadString(title);
        const auto width = static_cast<std::uint32_t>(Number(0));
        const auto kind = static_cast<std::uint32_t>(Number(0));
        m_data.m_aColumnTitle.push_back(std::move(title));
        m_data.m_aColumnWidth.push_back(width);
        m_data.m_aColumnKind.push_back(kind);
    }
    // A count that is no multiple of 3 names values that make no whole column; the
    // block ends after the last whole column, so what follows is the next identifier.
}

// Grows the task array once to what the rest of the file will probably need, judged
// from the bytes per task so far: tasks are not cheap to relocate.
void cReader::ReserveTasks()
{
    std::vector<cTask>& tasks = m_data.m_aTasks;
    if (tasks.size() < tasks.capacity())
        return;
    constexpr std::size_t kFirst = 64;
    std::size_t want = kFirst;
    if (!tasks.empty()) {
        const double total = static_cast<double>(m_in.GetFileSize());
        const double consumed = std::max(total - static_cast<double>(m_in.Remaining()), 1.0);
        const double estimate = static_cast<double>(tasks.size()) * total / consumed * 1.0625;
        want = estimate < static_cast<double>(tasks.max_size() / 2)
                   ? static_cast<std::size_t>(estimate) + kFirst
                   : tasks.max_size() / 2;
        want = std::max(want, tasks.size() * 2);
    }
    tasks.reserve(want);
}

void cReader::OpenTask()
{
    ReserveTasks();
    std::vector<cTask>& tasks = m_data.m_aTasks;
    if (m_bScratchUsed) {
        tasks.push_back(m_scratch);
    } else {
        tasks.emplace_back();
        tasks.back().m_strTaskNo = m_scratch.m_strTaskNo;
        tasks.back().m_strCategory = m_scratch.m_strCategory;
    }
    m_bInTask = true;
}

// The open task stays where it is; the scratch task continues from it as a reset task
// that keeps its number and category.
void cReader::CommitTask()
{
    const cTask& done = m_data.m_aTasks.back();
    if (m_bScratchUsed) {
        m_scratch.ResetTask();
        m_bScratchUsed = false;
    }
    m_scratch.m_strTaskNo = done.m_strTaskNo;
    m_scratch.m_strCategory = done.m_strCategory;
    m_bInTask = false;
}

void cReader::ReadCounters(char pre)
{
    // Its digit is the number of counters. Without a digit nothing follows, and the
    // points stay as they are rather than wrapping below 0.
    cTask& t = Task();
    const int n = DigitValue(pre);
    for (int k = 0; k < n; ++k)
        t.m_nStats[k] = static_cast<std::uint32_t>(Number(t.m_nStats[k]));
    if (n > 0)
        t.m_nPoints = static_cast<std::uint8_t>(n - 1);
}

void cReader::ReadPicture(char pre)
{
    cTask& t = Task();
    (void)m_in.ReadString(t.m_strPicture);
    if (pre != '1')
        m_in.ReadByte(t.m_nPictureSize);
    if (pre == '3')
        m_in.ReadByte(t.m_nPicturePlace);
}

void cReader::ReadCrypt()
{
    std::int64_t v = m_data.m_nCrypt;
    (void)m_in.LoadUFNumber(v);
    m_data.m_nCrypt = static_cast<std::uint8_t>(v);
    if (v == 0)
        m_in.m_bScramble = false;
    else if (v == 1)
        m_in.StartScrambling(kScrambleSeed);
}

// A file that names more than any real one would take more memory than the machine
// has before anything could be said.
cReader::Outcome cReader::TooMany(const char* what)
{
    (void)ShowMessage(kMsgText, Cp1252FromUtf8("Die Datei enthält mehr als " +
                                                  std::to_string(kMaxTrainingTasks) + " " + what +
                                                  " und wird nicht geöffnet."));
    return Outcome::Fail;
}

void cReader::GroupTask(bool open)
{
    if (m_bInTask)
        CommitTask();
    if (open)
        OpenTask();
}

void cReader::GroupQuestionnaire(bool open)
{
    if (m_bInQuestionnaire) {
        m_data.m_aQuestionnaires.push_back(m_questionnaire);
        m_questionnaire.Reset();
    }
    m_bInQuestionnaire = open;
}

cReader::Outcome cReader::Block(char pre, const std::string& id)
{
    const std::uint32_t key = BlockKey(id);
    const BlockRule* rule = FindBlockRule(key);
    if (!rule) {
        // Unknown block: "+" opens a group skipped up to its "-", anything else is
        // skipped by the count its PreChar gives.
        if (pre == '+')
            m_strSkipId = id;
        else
            SkipBlock(pre);
        return Outcome::Next;
    }
    if (!rule->preChars.empty() && rule->preChars.find(pre) == std::string_view::npos) {
        ShowWrongPre(pre, id, rule->expectation);
        return Outcome::Fail;
    }
    if (rule->taskBlock && !m_bInTask)
        m_bScratchUsed = true;
    cQuestionnaire& q = m_questionnaire;
    cTrainingData& d = m_data;

    switch (key) {
    case BlockKey("$"):
        return Outcome::End;
    case BlockKey("AUF"):
        if (pre == '+' && m_data.m_aTasks.size() >= kMaxTrainingTasks)
            return TooMany("Aufgaben");
        GroupTask(pre == '+');
        break;
    case BlockKey("FB"):
        if (pre == '+' && m_data.m_aQuestionnaires.size() + (m_bInQuestionnaire ? 1 : 0) >= kMaxTrainingTasks)
            return TooMany("Fragebögen");
        GroupQuestionnaire(pre == '+');
        break;
    case BlockKey("TYP"):
        m_in.ReadByte(Task().m_nType);
        break;
    case BlockKey("TXT"):
        (void)m_in.ReadString(Task().m_strQuestion);
        break;
    case BlockKey("SOL"):
        (void)m_in.ReadString(Task().m_strSolution);
        break;
    case BlockKey("SBW"):
        m_in.ReadBool(Task().m_bSelfAssess);
        break;
    case BlockKey("NUM"):
        ReadCounters(pre);
        break;
    case BlockKey("KAT"):
        (void)m_in.ReadString(Task().m_strTaskNo);
        (void)m_in.ReadString(Task().m_strCategory);
        break;
    case BlockKey("PA"):
        ReadPattern();
        break;
    case BlockKey("MHE"):
        m_in.ReadBool(Task().m_bChoiceFlag);
        m_in.ReadByte(Task().m_nChoiceValue);
        break;
    case BlockKey("MUL"):
        ReadMul(pre);
        break;
    case BlockKey("SND"):
        (void)m_in.ReadString(Task().m_strSound);
        break;
    case BlockKey("IMG"):
        ReadPicture(pre);
        break;
    case BlockKey("FNA"):
        (void)m_in.ReadString(q.m_strTitle);
        break;
    case BlockKey("FZT"):
        q.m_nExamSeconds = static_cast<std::int32_t>(Number(q.m_nExamSeconds));
        break;
    case BlockKey("FPK"):
        q.m_nPassPoints = static_cast<std::uint32_t>(Number(q.m_nPassPoints));
        q.m_nRetakePoints = static_cast<std::uint32_t>(Number(q.m_nRetakePoints));
        break;
    case BlockKey("FI"):
        q.m_nIcon = static_cast<std::int32_t>(Number(q.m_nIcon));
        break;
    case BlockKey("FRA"):
        ReadList(Number(0), q); // a count of 0 or less reads nothing more
        break;
    case BlockKey("FR"):
        ReadList(1, q);
        break;
    case BlockKey("FSB"):
        if (std::int64_t v = 0; NumberRead(v))
            SetSelfAssessAll(v != 0);
        break;
    case BlockKey("CRY"):
        ReadCrypt();
        break;
    case BlockKey("ALL"):
        m_in.ReadBool(d.m_bShowAll);
        break;
    case BlockKey("MIX"):
        m_in.ReadBool(d.m_bRandom);
        break;
    case BlockKey("AUS"):
        m_in.ReadByte(d.m_nMinPercent);
        m_in.ReadByte(d.m_nMinRight);
        m_in.ReadByte(d.m_nMaxWords);
        break;
    case BlockKey("TOL"):
        m_in.ReadBool(d.m_bAllowMissing);
        m_in.ReadBool(d.m_bAllowExtra);
        m_in.ReadBool(d.m_bAllowSwap);
        break;
    case BlockKey("QAT"):
        m_in.ReadLongString(d.m_strQuestionTemplate);
        m_in.ReadLongString(d.m_strRightTemplate);
        m_in.ReadLongString(d.m_strWrongTemplate);
        break;
    case BlockKey("HDL"):
        ReadColumns();
        break;
    default:
        break;
    }
    return Outcome::Next;
}

int cReader::Run()
{
    const int result = Loop();
    // A task still open at the end was never committed.
    if (m_bInTask) {
        m_data.m_aTasks.pop_back();
        m_bInTask = false;
    }
    return result;
}

int cReader::Loop()
{
    std::string ident;
    ident.reserve(16);
    for (;;) {
        if (!IsStringTag(m_in.ReadString(ident)))
            return 1;
        const char pre = ident.empty() ? '\0' : ident[0];
        const std::string id = ident.empty() ? std::string() : ident.substr(1);

        if (!m_strSkipId.empty()) {
            if (id == "$")
                return 0;
            if (pre == '-' && id == m_strSkipId)
                m_strSkipId.clear();
            else if (pre != '+')
                SkipBlock(pre);
            continue;
        }
        switch (Block(pre, id)) {
        case Outcome::Next:
            break;
        case Outcome::End:
            return 0;
        case Outcome::Fail:
            return 1;
        }
    }
}

// ---- writing -------------------------------------------------------------------------

void WriteTask(cDatei& out, const cTask& t)
{
    out.WriteString("+AUF");
    out.WriteString("1TYP");
    out.WriteNumber(t.m_nType);
    out.WriteString("1TXT");
    out.WriteString(t.m_strQuestion);
    out.WriteString("1SOL");
    out.WriteString(t.m_strSolution);
    out.WriteString("1SBW");
    out.WriteBool(t.m_bSelfAssess);

    // One counter per points level; a single-digit PreChar holds at most 9 of them, so
    // points beyond 8 are stored as 8 rather than making the file unreadable.
    const int points = std::min<int>(t.m_nPoints, kTaskSlots - 2);
    out.WriteString(std::to_string(points + 1) + "NUM");
    for (int k = 0; k <= points; ++k)
        out.WriteNumber(t.m_nStats[k]);

    if (t.m_nType == TaskTypeMultipleChoice) {
        out.WriteString("2MHE");
        out.WriteBool(t.m_bChoiceFlag);
        out.WriteByte(t.m_nChoiceValue);
        const int count = std::min<int>(t.m_nChoiceCount, kTaskSlots);
        for (int k = 0; k < count; ++k) {
            const bool extra = !t.m_strChoiceExtra[k].empty();
            out.WriteString(extra ? "3MUL" : "2MUL");
            out.WriteBool(t.m_bChoiceRight[k]);
            out.WriteString(t.m_strChoice[k]);
            if (extra)
                out.WriteString(t.m_strChoiceExtra[k]);
        }
    }
    if (!t.m_strSound.empty()) {
        out.WriteString("1SND");
        out.WriteString(t.m_strSound);
    }
    if (!t.m_strPicture.empty()) {
        if (t.m_nPicturePlace != 0) {
            out.WriteString("3IMG");
            out.WriteString(t.m_strPicture);
            out.WriteNumber(t.m_nPictureSize);
            out.WriteNumber(t.m_nPicturePlace);
        } else if (t.m_nPictureSize != 0) {
            out.WriteString("2IMG");
            out.WriteString(t.m_strPicture);
            out.WriteNumber(t.m_nPictureSize);
        } else {
            out.WriteString("1IMG");
            out.WriteString(t.m_strPicture);
        }
    }
    const int patterns = std::min<int>(t.m_nPatternCount, kTaskSlots);
    for (int k = 0; k < patterns; ++k) {
        if (k == 0 && t.m_strPattern[0].empty())
            continue;
        out.WriteString("2PA");
        out.WriteByte(static_cast<std::uint8_t>(k));
        out.WriteString(t.m_strPattern[k]);
    }
    out.WriteString("2KAT");
    out.WriteString(t.m_strTaskNo);
    out.WriteString(t.m_strCategory);
}

void WriteQuestionnaire(cDatei& out, const cQuestionnaire& q)
{
    out.WriteString("+FB");
    out.WriteString("1FNA");
    out.WriteString(q.m_strTitle);
    if (q.m_nExamSeconds != -1) {
        out.WriteString("1FZT");
        out.WriteNumber(q.m_nExamSeconds);
    }
    if (q.m_nPassPoints != 0) {
        out.WriteString("2FPK");
        out.WriteNumber(q.m_nPassPoints);
        out.WriteNumber(q.m_nRetakePoints);
    }
    if (q.m_nIcon != 0) {
        out.WriteString("1FI");
        out.WriteNumber(q.m_nIcon);
    }
    out.WriteString("#FRA");
    out.WriteNumber(static_cast<std::int64_t>(q.m_aTaskIndex.size()));
    for (const std::uint32_t index : q.m_aTaskIndex)
        out.WriteNumber(index);
}

} // namespace

void WriteTrainingData(const cTrainingData& d, cDatei& out)
{
    out.WriteString("3FID");
    out.WriteString(kFileId);
    out.WriteNumber(kFileVersion);
    out.WriteNumber(kFileVersion);

    out.WriteString("1CRY");
    out.WriteByte(d.m_nCrypt);
    if (d.m_nCrypt == 1)
        out.StartScrambling(kScrambleSeed);

    out.WriteString("1ALL");
    out.WriteBool(d.m_bShowAll);
    out.WriteString("1MIX");
    out.WriteBool(d.m_bRandom);
    out.WriteString("3AUS");
    out.WriteByte(d.m_nMinPercent);
    out.WriteByte(d.m_nMinRight);
    out.WriteByte(d.m_nMaxWords);
    out.WriteString("3TOL");
    out.WriteBool(d.m_bAllowMissing);
    out.WriteBool(d.m_bAllowExtra);
    out.WriteBool(d.m_bAllowSwap);
    out.WriteString("3QAT");
    out.WriteLongString(d.m_strQuestionTemplate);
    out.WriteLongString(d.m_strRightTemplate);
    out.WriteLongString(d.m_strWrongTemplate);

    const std::size_t columns = std::min({d.m_aColumnTitle.size(), d.m_aColumnWidth.size(),
                                          d.m_aColumnKind.size()});
    out.WriteString("#HDL");
    out.WriteNumber(static_cast<std::int64_t>(3 * columns));
    for (std::size_t i = 0; i < columns; ++i) {
        out.WriteString(d.m_aColumnTitle[i]);
        out.WriteNumber(d.m_aColumnWidth[i]);
        out.WriteNumber(d.m_aColumnKind[i]);
    }

    for (const cTask& t : d.m_aTasks)
        WriteTask(out, t);
    out.WriteString("-AUF");

    // The last questionnaire is the automatic one; reading rebuilds it.
    if (!d.m_aQuestionnaires.empty())
        for (std::size_t i = 0; i + 1 < d.m_aQuestionnaires.size(); ++i)
            WriteQuestionnaire(out, d.m_aQuestionnaires[i]);
    out.WriteString("-FB");
    out.WriteString("0$");
}

int cTrainingData::WriteTrainingFile(const std::string& path)
{
    return SaveTrainingFile(*this, path, nullptr, nullptr) == SaveOutcome::Saved ? 0 : 1;
}

SaveOutcome SaveTrainingFile(cTrainingData& data, const std::string& path,
                             const cFileStamp* expected, cFileStamp* written)
{
    if (!path.empty())
        data.m_strPath = path;
    const auto writer = [&data](cDatei& out) { WriteTrainingData(data, out); };
    return SaveFileSafely(data.m_strPath, writer, expected, written);
}

bool TrainingFileMatches(const cTrainingData& data, const cFileStamp& stamp)
{
    return WritesSameAs([&data](cDatei& out) { WriteTrainingData(data, out); }, stamp);
}

int cTrainingData::ReadTrainingFile(const std::string& path, cFileStamp* stamp)
{
    if (stamp)
        *stamp = cFileStamp();
    ResetTrainingData();
    m_strPath = path;
    FinishInterruptedSave(path);
    cDatei in;
    if (!in.Open(path, true))
        return 1;
    const int result = ReadTrainingData(*this, in);
    // Taken while the shared lock still holds the file as it was read.
    if (stamp && result == 0 && !StampOpenFile(in.Fd(), *stamp))
        *stamp = cFileStamp();
    return result;
}

int ReadTrainingData(cTrainingData& data, cDatei& in)
{
    std::string path = std::move(data.m_strPath);
    data.ResetTrainingData();
    data.m_strPath = std::move(path);
    if (in.GetFileSize() == 0) {
        (void)ShowMessage(kMsgEmptyFile, data.m_strPath);
        return 1;
    }

    // A first value that is no string leaves the identifier empty, so the wrong-block
    // message follows the stream's own.
    std::string ident;
    (void)in.ReadString(ident);
    const std::string pre = ident.substr(0, 1);
    const std::string id = ident.empty() ? std::string() : ident.substr(1);
    if (id != "FID") {
        (void)ShowMessage(kMsgText, "Falsche BlockID (" + id + ").\r\n'FID' Erwartet.");
        return 1;
    }
    if (pre != "3" && pre != "2") {
        (void)ShowMessage(kMsgText, "Falsches Zeichen (" + pre + ").\r\n'3' oder '2' Erwartet.");
        return 1;
    }
    std::string fileId;
    (void)in.ReadString(fileId);
    if (fileId != kFileId) {
        (void)ShowMessage(kMsgWrongFileId, fileId);
        return 1;
    }
    std::int64_t version = 0;
    (void)in.LoadUFNumber(version);
    if (pre == "3")
        (void)in.LoadUFNumber(version);

    int result = 1;
    try {
        cReader reader(data, in);
        result = reader.Run();
    } catch (const std::bad_alloc&) {
        // A file that asks for more memory than there is counts as unreadable.
        (void)ShowMessage(kMsgText, Cp1252FromUtf8("Nicht genug Speicher, um die Datei zu lesen."));
        result = 1;
    }
    DropInvalidTaskIndices(data);
    if (result != 0)
        return 1;
    CompleteTrainingData(data);
    return 0;
}
