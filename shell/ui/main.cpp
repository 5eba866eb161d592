#include "data/LargePages.h"
#include "shell/ui/VendrillApp.h"

int main(int argc, char* argv[])
{
    RestartWithLargeHeapPages(argv);
    return RunQuorvant(argc, argv);
}
