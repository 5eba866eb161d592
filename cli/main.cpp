#include <cstdio>

int main(int argc, char* argv[])
{
    (void)argv;
    if (argc < 2) {
        std::fputs("Aufruf: quorvant-cli export|import|info ...\n", stderr);
        return 2;
    }
    return 2;
}
