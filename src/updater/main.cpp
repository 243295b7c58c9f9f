// Updater: what the update check starts, beside the program, once the user
// has agreed to update. It is given "<base address> <version> A".
//
// On this system the program does not replace its own files: packages do
// that. So the updater opens the download page, the base address, in the
// user's own web browser, where the new version can be fetched, and ends.
#include "OpenInBrowser.h"

#include <cstdio>
#include <exception>
#include <string_view>

int main(int argc, char **argv)
{
    if (argc < 2 || std::string_view(argv[1]).empty()) {
        std::fprintf(stderr, "usage: Updater <download page address> [version] [A]\n");
        return 2;
    }
    try {
        if (!OpenInBrowser(argv[1])) {
            std::fprintf(stderr, "Updater: no web browser is registered to open %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "Updater: %s\n", e.what());
        return 1;
    }
    return 0;
}
