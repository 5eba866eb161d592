#include "cli/Commands.h"
#include "exchange/TrainingJson.h"
#include "data/Document.h"
#include "exchange/Exchange.h"

#include <algorithm>
#include <fstream>
#include <ostream>
#include <sstream>
#include <streambuf>

#include <sys/stat.h>

namespace {

constexpr const char* kUsage = "import DATEI.json ZIEL.vdr";

// Passes at most kMaxImportFile bytes through, then ends as if the input ended and notes
// that there was more.
class cBoundedInput : public std::streambuf {
public:
    explicit cBoundedInput(std::istream& in) : m_in(in) {}
    [[nodiscard]] bool Exceeded() const { return m_bExceeded; }

private:
    int_type underflow() override
    {
        if (m_nTotal >= kMaxImportFile) {
            m_bExceeded = m_in.rdbuf()->sgetc() != traits_type::eof();
            return traits_type::eof();
        }
        const std::streamsize want =
            static_cast<std::streamsize>(std::min<std::uintmax_t>(sizeof m_buffer, kMaxImportFile - m_nTotal));
        const std::streamsize got = m_in.rdbuf()->sgetn(m_buffer, want);
        if (got <= 0)
            return traits_type::eof();
        m_nTotal += static_cast<std::uintmax_t>(got);
        setg(m_buffer, m_buffer, m_buffer + got);
        return traits_type::to_int_type(m_buffer[0]);
    }

    std::istream& m_in;
    char m_buffer[1 << 16];
    std::uintmax_t m_nTotal = 0;
    bool m_bExceeded = false;
};

} // namespace

bool OpenImportSource(cCliContext& ctx, const std::string& source, std::ifstream& file)
{
    // Anything but a regular file is refused: opening a FIFO without writer would wait
    // for ever. Standard input ("-") is read as it comes.
    struct stat st {};
    if (source != "-" && (stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
                          (file.open(source, std::ios::binary), !file.is_open()))) {
        ctx.err << "Die Datei " << source << " kann nicht gelesen werden.\n";
        return false;
    }
    return true;
}

int JsonTooLarge(cCliContext& ctx, const std::string& source)
{
    ctx.err << "Import abgelehnt: " << source << ": Die Datei ist größer als 512 MiB.\n";
    return kExitRefused;
}

bool ReadImportSource(std::istream& in, std::string& text)
{
    cBoundedInput bounded(in);
    std::istream limited(&bounded);
    std::ostringstream buffer;
    buffer << limited.rdbuf();
    text = buffer.str();
    return !bounded.Exceeded();
}

int RunImportCommand(cCliContext& ctx)
{
    if (ctx.args.size() != 2)
        return UsageError(ctx, kUsage);
    const std::string& source = ctx.args[0];
    const std::string& target = ctx.args[1];

    // The JSON streams from the file or from standard input for "-", at most as much
    // as any other import file.
    std::ifstream file;
    if (!OpenImportSource(ctx, source, file))
        return kExitFailed;
    cBoundedInput bounded(source == "-" ? ctx.in : file);
    std::istream limited(&bounded);

    // Everything is checked before anything is written, so a refused document leaves
    // the target as it was (or absent).
    cDocument document;
    cJsonRefusal refusal;
    const bool read = ReadTrainingJson(limited, document.m_data, refusal);
    if (bounded.Exceeded())
        return JsonTooLarge(ctx, source);
    if (!read) {
        if (refusal.syntaxByte != 0)
            ctx.err << "Import abgelehnt: " << source << " ist kein gültiges JSON (Fehler bei Byte "
                    << refusal.syntaxByte << ").\n";
        else
            ctx.err << "Import abgelehnt: " << refusal.message << ".\n";
        return kExitRefused;
    }
    if (document.SaveAs(target) != 0)
        return kExitFailed; // message 105 is on standard error; the old file is untouched
    return kExitOk;
}
