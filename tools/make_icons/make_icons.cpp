// Draws the program's icon for the desktop's icon theme when the program is built:
// make_icons FOLDER writes FOLDER/48.png, FOLDER/256.png and FOLDER/scalable.svg.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "codecs/png_codec.h"
#include "project/program_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    for (const int size : {48, 256}) {
        std::vector<std::uint8_t> png;
        if (!morvel::EncodePng(morvel::ProgramIcon(size), png) ||
            !morvel::WriteFileBytes(folder + std::to_string(size) + ".png", png)) {
            std::fprintf(stderr, "make_icons: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    const std::string svg = morvel::ProgramIconSvg();
    if (!morvel::WriteFileBytes(folder + "scalable.svg",
                                std::vector<std::uint8_t>(svg.begin(), svg.end()))) {
        std::fprintf(stderr, "make_icons: cannot write the scalable icon\n");
        return 1;
    }
    return 0;
}
