// quorvant-cli list: the task list of a questionnaire as the window's list shows it,
// one tab-separated line per row.

#include "cli/Commands.h"
#include "base/Cp1252.h"
#include "data/Document.h"
#include "practice/TaskRows.h"
#include "practice/TaskSearch.h"
#include "base/StreamPresenter.h"

#include <cstdint>
#include <ostream>

namespace {

constexpr const char* kListUsage = "list DATEI.vdr [--questionnaire N] [--sort K] [--descending] [--find TEXT]";

// One cell on one line: line breaks and tabs of the text become blanks.
std::string Cell(const std::string& text)
{
    std::string cell = ConsoleText(text);
    for (char& c : cell)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    return cell;
}

} // namespace

int RunListCommand(cCliContext& ctx)
{
    // --find is list's own option; without --questionnaire it searches every task.
    std::string find;
    bool finding = false;
    bool questionnaireGiven = false;
    for (std::size_t i = 0; i < ctx.args.size(); ++i) {
        if (ctx.args[i] == "--questionnaire")
            questionnaireGiven = true;
        if (ctx.args[i] != "--find")
            continue;
        if (i + 1 >= ctx.args.size()) {
            ctx.err << "--find braucht einen Suchtext.\n";
            return UsageError(ctx, kListUsage);
        }
        finding = true;
        find = Cp1252FromUtf8(ctx.args[i + 1]);
        ctx.args.erase(ctx.args.begin() + static_cast<std::ptrdiff_t>(i),
                       ctx.args.begin() + static_cast<std::ptrdiff_t>(i + 2));
        --i;
    }
    cQueryOptions options;
    if (!ParseQueryOptions(ctx, true, kListUsage, options))
        return kExitRefused;
    cDocument doc;
    if (const int status = OpenQueryDocument(ctx, options, doc); status != kExitOk)
        return status;
    // Listing changes nothing, so the document is not closed: the file stays untouched.
    const cTrainingData& data = doc.m_data;
    const int k = finding && !questionnaireGiven
                      ? static_cast<int>(data.m_aQuestionnaires.size()) - 1
                      : options.questionnaire;
    cTaskRows rows(data);
    rows.Load(data.m_aQuestionnaires[k]);
    if (finding) {
        // The rows the window's search bar keeps for the same text.
        const cSearchKey folded = FoldForSearch(find);
        if (!folded.empty()) {
            cTaskSearch search;
            search.Index(data);
            rows.Keep([&](std::uint32_t task) { return search.Matches(task, folded); });
        }
    }
    const int columns = rows.ColumnCount();
    if (options.sort >= columns) {
        ctx.err << "Spalte " << options.sort << " gibt es nicht; die Liste hat die Spalten 0 bis "
                << columns - 1 << ".\n";
        return kExitRefused;
    }
    if (options.sort >= 0) {
        // Exactly what clicks on the column header do: the first sorts ascending, the
        // second flips to descending.
        (void)rows.Click(options.sort);
        if (options.descending)
            (void)rows.Click(options.sort);
    }
    for (int column = 0; column < columns; ++column)
        ctx.out << (column ? "\t" : "") << Cell(rows.ColumnTitle(column));
    ctx.out << '\n';
    for (int row = 0; row < rows.Count(); ++row) {
        for (int column = 0; column < columns; ++column)
            ctx.out << (column ? "\t" : "") << Cell(rows.CellText(row, column));
        ctx.out << '\n';
    }
    return kExitOk;
}
