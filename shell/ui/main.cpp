#include "shell/ui/StartOptions.h"
#include "shell/ui/VendrillApp.h"

#include <iostream>

int main(int argc, char* argv[])
{
    if (const auto status = RunInfoOptions(argc, argv, std::cout))
        return *status;
    return RunQuorvant(argc, argv);
}
