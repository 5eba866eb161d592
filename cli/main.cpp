#include "cli/Cli.h"

#include <csignal>
#include <cstdio>
#include <iostream>

int main(int argc, char* argv[])
{
    // A closed pipe shows up as a failed write, which every command reports.
    std::signal(SIGPIPE, SIG_IGN);
    const int status = RunCli(argc, argv, std::cin, std::cout, std::cerr);
    if (std::fclose(stdout) != 0 && status == 0) {
        std::cerr << "Die Ausgabe konnte nicht geschrieben werden.\n";
        return 1;
    }
    return status;
}
