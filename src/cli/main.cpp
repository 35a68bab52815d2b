// quillon-cli: Varda Quillon without a window.

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void printHelp()
{
    std::printf("Varda Quillon %s - multitrack audio arranger (command-line tool)\n\n"
                "Usage: quillon-cli [--help] [--version]\n\n"
                "  --help       show this help\n"
                "  --version    show the version\n",
                QUILLON_VERSION);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printHelp();
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", QUILLON_VERSION);
        return 0;
    }
    std::fprintf(stderr, "quillon-cli: unknown option '%s' (try --help)\n", argv[1]);
    return 2;
}
