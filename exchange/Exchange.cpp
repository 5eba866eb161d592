#include "exchange/Exchange.h"

#include "base/Cp1252.h"
#include "data/TrainingFile.h"
#include "exchange/AnkiText.h"
#include "exchange/Csv.h"
#include "exchange/Kvtml.h"
#include "exchange/TextInput.h"
#include "exchange/TrainingJson.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <istream>
#include <limits>
#include <sstream>
#include <streambuf>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The number a task number starts with, as the editor reads it (leading blanks, sign,
// digits); 0 when it starts otherwise.
long long LeadingNumber(const std::string& text)
{
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return errno == ERANGE ? 0 : value;
}

// Reads bytes in place, without a copy of a file that may be hundreds of megabytes.
class cBytesInput : public std::streambuf {
public:
    explicit cBytesInput(std::string& bytes) { setg(bytes.data(), bytes.data(), bytes.data() + bytes.size()); }
};

bool ReadJson(std::string& bytes, cTrainingData& data, cJsonRefusal& refusal)
{
    cBytesInput buffer(bytes);
    std::istream in(&buffer);
    return ReadTrainingJson(in, data, refusal);
}

// The JSON import: the whole training file. Characters without a Windows-1252 byte are
// replaced only once a first pass found no other fault before them, so the replacing
// never has to deal with broken syntax.
cImportResult ParseJson(std::string& bytes, const cImportOptions& options)
{
    cImportResult result;
    auto data = std::make_shared<cTrainingData>();
    cJsonRefusal refusal;
    bool read = ReadJson(bytes, *data, refusal);
    if (!read && refusal.unmappable && options.replaceUnmappable) {
        bytes = ReplaceUnmappableJson(bytes);
        read = ReadJson(bytes, *data, refusal);
    }
    if (!read) {
        result.failure = refusal.unmappable ? ImportFailure::Unmappable : ImportFailure::Damaged;
        result.message = refusal.syntaxByte != 0 ? "Die Datei ist kein gültiges JSON (Fehler bei Byte " +
                                                       std::to_string(refusal.syntaxByte) + ")"
                                                 : refusal.message;
        return result;
    }
    // As a saved and reopened file would be: the reader adds the automatic questionnaire
    // again, the default columns and normalised exam times.
    data->m_aQuestionnaires.pop_back();
    CompleteTrainingData(*data);
    result.training = std::move(data);
    return result;
}

// Appends count tasks, built by fill(i, task), to data: task numbers the data already
// uses (or none) are given anew, the new questionnaires (indices counted from the first
// new task) go before the automatic one after the one titled title that holds them all.
template <typename Fill>
int AppendTasks(cTrainingData& data, std::size_t count, Fill fill,
                std::vector<cQuestionnaire>&& lists, const std::string& title)
{
    const auto base = static_cast<std::uint32_t>(data.m_aTasks.size());
    if (data.m_aQuestionnaires.empty()) {
        cQuestionnaire all;
        all.m_strTitle = kAllTasksTitle;
        for (std::uint32_t i = 0; i < base; ++i)
            all.m_aTaskIndex.push_back(i);
        data.m_aQuestionnaires.push_back(std::move(all));
    }

    std::unordered_set<std::string> used;
    used.reserve(base + count);
    for (const cTask& t : data.m_aTasks)
        used.insert(t.m_strTaskNo);
    long long next = data.m_aTasks.empty() ? 1 : LeadingNumber(data.m_aTasks.back().m_strTaskNo) + 1;

    data.m_aTasks.reserve(base + count);
    for (std::size_t i = 0; i < count; ++i) {
        cTask& t = data.m_aTasks.emplace_back();
        fill(i, t);
        if (!t.m_strTaskNo.empty() && used.insert(t.m_strTaskNo).second) {
            const long long own = LeadingNumber(t.m_strTaskNo);
            if (own < std::numeric_limits<long long>::max())
                next = std::max(next, own + 1);
        } else {
            while (!used.insert(std::to_string(next)).second)
                ++next;
            t.m_strTaskNo = std::to_string(next++);
        }
    }

    std::vector<cQuestionnaire> added;
    cQuestionnaire& own = added.emplace_back();
    own.m_strTitle = title;
    own.m_aTaskIndex.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        own.m_aTaskIndex.push_back(base + i);
    for (cQuestionnaire& q : lists) {
        std::erase_if(q.m_aTaskIndex, [&](std::uint32_t entry) { return entry >= count; });
        for (std::uint32_t& entry : q.m_aTaskIndex)
            entry += base;
        if (q.m_nExamSeconds >= 0)
            ++data.m_nTimedCount;
        added.push_back(std::move(q));
    }
    std::vector<std::uint32_t>& all = data.m_aQuestionnaires.back().m_aTaskIndex;
    for (std::uint32_t i = 0; i < count; ++i)
        all.push_back(base + i);
    data.m_aQuestionnaires.insert(data.m_aQuestionnaires.end() - 1,
                                  std::make_move_iterator(added.begin()),
                                  std::make_move_iterator(added.end()));
    return static_cast<int>(added.size());
}

} // namespace

ExchangeFormat FormatFromName(std::string_view name)
{
    const std::string n = AsciiLower(name);
    if (n == "json")
        return ExchangeFormat::Json;
    if (n == "csv")
        return ExchangeFormat::Csv;
    if (n == "kvtml")
        return ExchangeFormat::Kvtml;
    if (n == "anki")
        return ExchangeFormat::Anki;
    return ExchangeFormat::None;
}

ExchangeFormat FormatFromPath(std::string_view path)
{
    const std::string ext = AsciiLower(std::filesystem::path(path).extension().string());
    if (ext == ".json")
        return ExchangeFormat::Json;
    if (ext == ".csv" || ext == ".tsv")
        return ExchangeFormat::Csv;
    if (ext == ".kvtml")
        return ExchangeFormat::Kvtml;
    if (ext == ".txt")
        return ExchangeFormat::Anki;
    return ExchangeFormat::None;
}

bool EncodingFromName(std::string_view name, TextEncoding& out)
{
    const std::string n = AsciiLower(name);
    if (n == "utf-8" || n == "utf8")
        out = TextEncoding::Utf8;
    else if (n == "windows-1252" || n == "cp1252")
        out = TextEncoding::Cp1252;
    else
        return false;
    return true;
}

char SeparatorFromName(std::string_view name)
{
    const std::string n = AsciiLower(name);
    if (n == "," || n == "comma")
        return ',';
    if (n == ";" || n == "semicolon")
        return ';';
    if (n == "tab" || n == "\t")
        return '\t';
    return 0;
}

bool ColumnsFromText(std::string_view text, std::vector<int>& out)
{
    static constexpr const char* kNames[] = {"question", "solution", "pattern", "category", "number", "points"};
    std::vector<int> columns;
    bool seen[ColCount] = {};
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string name = AsciiLower(text.substr(start, comma - start));
        int column = -2;
        if (name == "-")
            column = ColSkip;
        for (int c = 0; c < ColCount; ++c)
            if (name == kNames[c])
                column = c;
        if (column == -2 || (column >= 0 && seen[column]))
            return false;
        if (column >= 0)
            seen[column] = true;
        columns.push_back(column);
        start = comma + 1;
    }
    if (!seen[ColQuestion] || !seen[ColSolution])
        return false;
    out = std::move(columns);
    return true;
}

cImportResult ParseImport(ExchangeFormat format, std::string& bytes, const cImportOptions& options)
{
    cImportResult result;
    if (bytes.empty()) {
        result.failure = ImportFailure::WrongFormat;
        result.message = "Die Datei ist leer";
        return result;
    }
    switch (format) {
    case ExchangeFormat::Csv: result = ParseCsv(bytes, options); break;
    case ExchangeFormat::Kvtml: result = ParseKvtml(bytes, options); break;
    case ExchangeFormat::Json: return ParseJson(bytes, options);
    case ExchangeFormat::Anki:
        // A tab file with a header of known columns is a spreadsheet's "Unicode text".
        result = IsCsvWithHeader(bytes, options) ? ParseCsv(bytes, options) : ParseAnkiText(bytes, options);
        break;
    default:
        result.failure = ImportFailure::WrongFormat;
        result.message = "Dieses Format kann hier nicht gelesen werden";
        return result;
    }
    if (!result.Ok()) {
        // A refused file gives nothing, not the entries before the fault.
        result.tasks.clear();
        result.lists.clear();
    } else if (result.tasks.empty()) {
        result.failure = ImportFailure::Damaged;
        result.message = "Die Datei enthält keine Aufgaben";
    }
    return result;
}

cImportResult ReadImportFile(const std::string& path, ExchangeFormat format,
                             const cImportOptions& options)
{
    cImportResult result;
    result.failure = ImportFailure::Unreadable;
    result.message = "Die Datei kann nicht gelesen werden";
    // Only a regular file is read: opening a FIFO without writer would wait for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st {};
    std::FILE* file = nullptr;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
                    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 || !(file = fdopen(fd, "rb"))))
        ::close(fd);
    if (!file)
        return result;
    std::string bytes;
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (bytes.size() + n > kMaxImportFile) {
            std::fclose(file);
            result.failure = ImportFailure::WrongFormat;
            result.message = "Die Datei ist größer als 512 MiB";
            return result;
        }
        bytes.append(buffer, n);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return result;
    // The title is checked first: a refused name refuses the file before its parsing.
    cImportResult named;
    std::string title = std::filesystem::path(path).stem().string();
    if (!CheckMappable(title, options.replaceUnmappable, named)) {
        named.message = "Dateiname \"" + std::filesystem::path(path).filename().string() +
                        "\": " + named.message.substr(named.message.find(": ") + 2);
        return named;
    }
    result = ParseImport(format, bytes, options);
    bytes = std::string();
    result.title = Cp1252FromUtf8(title);
    if (title != std::filesystem::path(path).stem().string())
        result.notes.push_back("Zeichen des Dateinamens, die es in Windows-1252 nicht gibt, "
                               "stehen im Titel als \"?\": " + title);
#if defined(__GLIBC__)
    // The XML tree was freed in small pieces between the entries' texts; give those pages
    // back before the tasks are built, or they stay resident beside them.
    malloc_trim(0);
#endif
    return result;
}

std::string ImportTitle(const std::string& path)
{
    return Cp1252FromUtf8(std::filesystem::path(path).stem().string());
}

int AppendImport(cTrainingData& data, std::vector<cImportedTask>&& tasks,
                 const std::vector<cImportedList>& lists, const std::string& title)
{
    std::vector<cQuestionnaire> added(lists.size());
    for (std::size_t i = 0; i < lists.size(); ++i) {
        added[i].m_strTitle = lists[i].title;
        added[i].m_aTaskIndex = lists[i].entries;
    }
    const int count = AppendTasks(data, tasks.size(), [&](std::size_t i, cTask& t) {
        cImportedTask& in = tasks[i];
        t.m_strQuestion = std::move(in.question);
        t.m_strSolution = std::move(in.solution);
        if (!in.pattern.empty()) {
            t.m_strPattern[1] = std::move(in.pattern);
            t.m_nPatternCount = 2; // as the editor stores a pattern
        }
        t.m_strCategory = std::move(in.category);
        t.m_strPicture = std::move(in.picture);
        t.m_strSound = std::move(in.sound);
        if (in.points >= 0)
            t.m_nPoints = static_cast<std::uint8_t>(in.points);
        t.m_strTaskNo = std::move(in.taskNo);
    }, std::move(added), title);
    tasks.clear();
    return count;
}

int AppendTraining(cTrainingData& data, cTrainingData&& imported, const std::string& title)
{
    // The imported file's automatic questionnaire is the receiving file's one.
    std::vector<cQuestionnaire> lists = std::move(imported.m_aQuestionnaires);
    if (!lists.empty())
        lists.pop_back();
    return AppendTasks(data, imported.m_aTasks.size(), [&](std::size_t i, cTask& t) {
        t = std::move(imported.m_aTasks[i]);
    }, std::move(lists), title);
}

void AdoptTraining(cTrainingData& data, cTrainingData&& imported)
{
    std::string path = std::move(data.m_strPath);
    const bool selfAssessAll = data.m_bSelfAssessAll;
    data = std::move(imported);
    data.m_strPath = std::move(path);
    data.m_bSelfAssessAll = selfAssessAll;
}

std::string ExportText(const cTrainingData& data, ExchangeFormat format, char separator)
{
    cExportOptions options;
    options.separator = separator;
    return ExportText(data, format, options);
}

std::string ExportText(const cTrainingData& data, ExchangeFormat format, const cExportOptions& options)
{
    switch (format) {
    case ExchangeFormat::Csv: return WriteCsv(data, options);
    case ExchangeFormat::Kvtml: {
        std::string title = data.m_strPath.empty() ? std::string() : ImportTitle(data.m_strPath);
        // The title is one line, whatever the file name holds.
        for (char& c : title)
            if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
                c = ' ';
        return WriteKvtml(data, title, options.languages);
    }
    case ExchangeFormat::Anki: return WriteAnkiText(data);
    case ExchangeFormat::Json: {
        std::ostringstream out;
        WriteTrainingJson(data, out);
        return out.str();
    }
    default: return std::string();
    }
}
