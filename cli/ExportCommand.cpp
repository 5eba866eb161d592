#include "cli/Commands.h"
#include "exchange/TrainingJson.h"
#include "data/Document.h"

#include <ostream>

int RunExportCommand(cCliContext& ctx)
{
    if (ctx.args.size() != 1)
        return UsageError(ctx, "export DATEI.vdr");
    cDocument document;
    if (document.Open(ctx.args[0]) != 0)
        return kExitFailed; // the reader's messages and message 104 are on standard error
    WriteTrainingJson(document.m_data, ctx.out);
    return kExitOk;
}
