#include "shell/ui/VendrillApp.h"

int main(int argc, char* argv[])
{
    return RunQuorvant(argc, argv);
}
