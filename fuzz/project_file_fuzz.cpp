// The project file reader on any bytes; what it read must be written and read back unchanged.
#include <cstdlib>

#include "project/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const morvel::ProjectFileContents read = morvel::ParseProjectFile({data, size});
    if (!read.identified) return 0;
    const morvel::ProjectHeader header{"",           read.title,        read.author,
                                       read.comment, read.maskTemplate, read.frameTemplate};
    const morvel::ProjectFileContents again =
        morvel::ParseProjectFile(morvel::SerializeProjectFile(header, read.frames));
    if (!again.identified || again.title != read.title || again.author != read.author ||
        again.comment != read.comment || again.maskTemplate != read.maskTemplate ||
        again.frameTemplate != read.frameTemplate || again.frames.size() != read.frames.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < read.frames.size(); ++i) {
        if (again.frames[i].layerSource[0] != read.frames[i].layerSource[0] ||
            again.frames[i].layerSource[1] != read.frames[i].layerSource[1] ||
            again.frames[i].hasMask != read.frames[i].hasMask) {
            std::abort();
        }
    }
    return 0;
}
