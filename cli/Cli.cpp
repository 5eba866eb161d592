#include "cli/Cli.h"

#include <ostream>

int RunCli(int argc, const char* const argv[], std::istream& in, std::ostream& out,
           std::ostream& err)
{
    (void)argv;
    (void)in;
    (void)out;
    (void)argc;
    err << "Aufruf: quorvant-cli export|import|info ...\n";
    return 2;
}
