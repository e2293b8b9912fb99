// Writes the game's whole res/ folder from code: models, skins, pictures,
// sounds and music, and copies the font; and, when asked, the desktop's icon.
// Same bytes on every run.
//
//   content OUTDIR [--font FILE --font-licence FILE] [--icon FILE.png] [--only NAME]

#include "Assets.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: %s OUTDIR [--font FILE --font-licence FILE] [--icon FILE.png] [--only NAME]\n",
            argv[0]);
        return 2;
    }
    content::Options options;
    options.outDir = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "content: %s needs a value\n", a.c_str());
            return 2;
        }
        if (a == "--font")
            options.font = argv[++i];
        else if (a == "--font-licence")
            options.fontLicence = argv[++i];
        else if (a == "--icon")
            options.icon = argv[++i];
        else if (a == "--only")
            options.only = argv[++i];
        else {
            std::fprintf(stderr, "content: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    try {
        content::writeAll(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "content: %s\n", e.what());
        return 1;
    }
    return 0;
}
