// vextal-cli: runs analyses on Vextal data files without opening a window.
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kVersion = "3.06";

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: vextal-cli [--help | --version]\n"
                 "\n"
                 "vextal-cli runs analyses on Vextal data files without a window.\n"
                 "Commands are added as the analyses are built.\n"
                 "\n"
                 "Options:\n"
                 "  --help     show this text and exit\n"
                 "  --version  show the version number and exit\n");
}

} // namespace

int main(int argc, char* argv[]) {
    bool wantHelp = argc < 2;
    bool wantVersion = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            wantHelp = true;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            wantVersion = true;
        } else {
            std::fprintf(stderr, "vextal-cli: unknown argument '%s'\n\n", argv[i]);
            printUsage(stderr);
            return 2;
        }
    }
    if (wantHelp) {
        printUsage(stdout);
        return 0;
    }
    if (wantVersion)
        std::printf("vextal-cli %s\n", kVersion);
    return 0;
}
