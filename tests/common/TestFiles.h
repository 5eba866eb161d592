#pragma once
// Helpers for tests, benchmarks and fuzzing that work on real files: a temporary
// directory that cleans up after itself, whole-file byte access, a builder for raw value
// streams written by hand (independent of cDatei), and a generator of realistic training
// data.

#include "data/TrainingData.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace testfiles {

/// A fresh directory under the system's temporary directory, removed with its content.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvant-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        // Give back write permission first, in case a test took it away.
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path, ec))
            if (entry.is_directory(ec))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The directory itself.
    [[nodiscard]] std::string Dir() const { return m_path.string(); }
    /// A path inside the directory.
    [[nodiscard]] std::string Path(const std::string& name) const { return (m_path / name).string(); }
    /// Names of the entries in the directory, sorted.
    [[nodiscard]] std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path m_path;
};

/// Makes writes beyond limit bytes fail (EFBIG) while it lives, so tests can make a
/// save fail halfway even when running as root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_old;
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

/// The whole content of a file ("" when it cannot be read).
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Writes bytes as the whole content of a file.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// Bytes from a list of byte values, for exact comparisons.
inline std::string Hex(std::initializer_list<int> bytes) {
    std::string s;
    for (const int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

/// Bytes as "0C 04 33 ..." for readable failure output.
inline std::string ToHex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!s.empty())
            s.push_back(' ');
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 15]);
    }
    return s;
}

/// Builds a value stream byte by byte, without cDatei, so tests can state the bytes a
/// file holds and craft damaged files.
class StreamBuilder {
public:
    StreamBuilder& Raw(const std::string& bytes) { m_bytes += bytes; return *this; }
    StreamBuilder& Raw(std::initializer_list<int> bytes) { m_bytes += Hex(bytes); return *this; }
    StreamBuilder& Bool(bool v) { return Raw({1, v ? 1 : 0}); }
    StreamBuilder& Byte(int v) { return Tagged(2, v, 1); }
    StreamBuilder& Char(int v) { return Tagged(7, v, 1); }
    StreamBuilder& Short(int v) { return Tagged(8, v, 2); }
    StreamBuilder& Word(int v) { return Tagged(3, v, 2); }
    StreamBuilder& Long(std::int64_t v) { return Tagged(4, v, 4); }
    /// A tag and the low bytes of v, most significant first.
    StreamBuilder& Tagged(int tag, std::int64_t v, int bytes) {
        m_bytes.push_back(static_cast<char>(tag));
        for (int i = bytes - 1; i >= 0; --i)
            m_bytes.push_back(static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    /// A number in the smallest form, as the program writes it.
    StreamBuilder& Num(std::int64_t v) {
        if (v >= -128 && v <= 127)
            return Char(int(v));
        if (v >= 0 && v <= 255)
            return Byte(int(v));
        if (v >= -32768 && v <= 32767)
            return Short(int(v));
        if (v >= 0 && v <= 65535)
            return Word(int(v));
        if (v >= INT32_MIN && v <= INT32_MAX)
            return Long(v);
        return Tagged(10, v, 8);
    }
    /// Tag 12, one length byte, the text.
    StreamBuilder& Str(const std::string& s) { return Tagged(12, std::int64_t(s.size()), 1).Raw(s); }
    /// Tag 5, four length bytes, the text.
    StreamBuilder& LStr(const std::string& s) { return Tagged(5, std::int64_t(s.size()), 4).Raw(s); }
    /// The identification every current file begins with.
    StreamBuilder& FileStart() { return Str("3FID").Str("TesterFile").Num(100).Num(100); }
    /// The settings blocks of a default, unscrambled file, up to and including "#HDL".
    StreamBuilder& DefaultSettings() {
        Str("1CRY").Byte(0).Str("1ALL").Bool(false).Str("1MIX").Bool(false);
        Str("3AUS").Byte(0).Byte(0).Byte(5).Str("3TOL").Bool(false).Bool(false).Bool(false);
        Str("3QAT").LStr("").LStr("").LStr("");
        return Str("#HDL").Num(0);
    }
    /// "-AUF", "-FB" and the end marker.
    StreamBuilder& FileEnd() { return Str("-AUF").Str("-FB").Str("0$"); }

    [[nodiscard]] const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

/// Realistic training data: vocabulary and exam questions with solutions, patterns,
/// statistics, some multiple-choice tasks, pictures, sounds and questionnaires. Texts are
/// Windows-1252 (umlauts as single bytes). The same seed gives the same data.
inline cTrainingData MakeTrainingData(int taskCount, std::uint32_t seed = 1) {
    static const char* const words[] = {
        "Haus", "Baum", "Stra\xDF" "e", "M\xE4" "dchen", "K\xF6" "nig", "T\xFC" "r",
        "Fenster", "Schule", "Arbeit", "Gesetz", "Vertrag", "Pr\xFC" "fung", "Antwort",
        "Frage", "Wasser", "Feuer", "Himmel", "Erde", "Zeitung", "Gericht", "Beh\xF6" "rde",
        "Rechnung", "Steuer", "Bilanz", "Kapital", "Zins", "Miete", "K\xFC" "ndigung"};
    static const char* const english[] = {
        "house", "tree", "street", "girl", "king", "door", "window", "school", "work",
        "law", "contract", "exam", "answer", "question", "water", "fire", "sky", "earth",
        "newspaper", "court", "authority", "invoice", "tax", "balance", "capital",
        "interest", "rent", "notice"};
    constexpr int wordCount = sizeof(words) / sizeof(words[0]);
    constexpr int englishCount = sizeof(english) / sizeof(english[0]);

    std::mt19937 rng(seed);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); };

    cTrainingData d;
    d.m_bShowAll = pick(2) == 1;
    d.m_bRandom = pick(2) == 1;
    d.m_nMinPercent = 80; d.m_nMinRight = 3; d.m_nMaxWords = 5;
    d.m_bAllowMissing = d.m_bAllowSwap = true;
    d.m_strQuestionTemplate = "<b>{frage}</b>";
    d.m_strRightTemplate = "Richtig! {antwort}";
    d.m_strWrongTemplate = "Leider falsch. Richtig w\xE4re: {antwort}";
    d.m_aColumnTitle = {"Nr", "Statistik", "Frage", "Antwort"};
    d.m_aColumnWidth = {40, 100, 450, 200};
    d.m_aColumnKind = {0, 6, 2, 3};

    d.m_aTasks.reserve(static_cast<std::size_t>(taskCount));
    for (int i = 0; i < taskCount; ++i) {
        cTask t;
        const int w = pick(wordCount), e = pick(englishCount);
        t.m_strTaskNo = std::to_string(i + 1);
        t.m_strCategory = (i % 3 == 0) ? "Vokabeln" : "Recht";
        t.m_strQuestion = std::string("Was hei\xDF" "t '") + words[w] + "' auf Englisch?";
        t.m_strSolution = english[e];
        t.m_nType = TaskTypeText;
        t.m_nPoints = static_cast<std::uint8_t>(1 + pick(3));
        for (int k = 0; k <= t.m_nPoints; ++k)
            t.m_nStats[k] = static_cast<std::uint32_t>(pick(12));
        if (pick(2) == 0) {
            t.m_nPatternCount = 2;
            t.m_strPattern[1] = std::string("the ") + english[e];
        }
        if (i % 17 == 5) {
            t.m_nType = TaskTypeMultipleChoice;
            t.m_bChoiceFlag = pick(2) == 1;
            t.m_nChoiceValue = 1; t.m_nChoiceCount = 4;
            for (int k = 0; k < 4; ++k) {
                t.m_strChoice[k] = english[pick(englishCount)];
                t.m_bChoiceRight[k] = k == 1;
            }
            t.m_strChoiceExtra[2] = "Erkl\xE4rung";
        }
        if (i % 23 == 7) {
            t.m_strPicture = "bilder\\bild" + std::to_string(i) + ".png";
            t.m_nPictureSize = static_cast<std::uint8_t>(pick(3));
            t.m_nPicturePlace = static_cast<std::uint8_t>(pick(2));
        }
        if (i % 29 == 11)
            t.m_strSound = "sounds/ton" + std::to_string(i) + ".wav";
        t.m_bSelfAssess = i % 31 == 3;
        d.m_aTasks.push_back(t);
    }

    const int questionnaires = taskCount == 0 ? 1 : 1 + taskCount / 200;
    for (int qi = 0; qi < questionnaires && qi < 50; ++qi) {
        cQuestionnaire q;
        q.m_strTitle = "Fragebogen " + std::to_string(qi + 1);
        if (qi % 2 == 1) {
            q.m_nExamSeconds = 600 + 60 * qi;
            q.m_nPassPoints = 20; q.m_nRetakePoints = 15;
        }
        q.m_nIcon = qi % 4;
        for (int k = 0; k < taskCount && k < 30; ++k)
            q.m_aTaskIndex.push_back(static_cast<std::uint32_t>(pick(taskCount)));
        d.m_aQuestionnaires.push_back(q);
    }
    // The automatic questionnaire ends the list, as after reading.
    cQuestionnaire all;
    all.m_strTitle = kAllTasksTitle;
    for (int i = 0; i < taskCount; ++i)
        all.m_aTaskIndex.push_back(static_cast<std::uint32_t>(i));
    d.m_aQuestionnaires.push_back(all);
    d.m_nTimedCount = 0;
    for (const cQuestionnaire& q : d.m_aQuestionnaires)
        if (q.m_nExamSeconds >= 0)
            ++d.m_nTimedCount;
    return d;
}

} // namespace testfiles
