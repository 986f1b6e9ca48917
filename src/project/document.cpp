#include "project/document.h"

#include <cstdio>

namespace morvel {

std::string MaskWorkingFileName(std::int32_t n) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(n));
    return std::string("morvel") + hex + ".tmp";
}

FrameFiles FilesOf(const MaskStore& masks, const FrameRecord& frame,
                   const MasksInMemory* inMemory) {
    FrameFiles files{frame.layerSource,
                     frame.maskNumber != 0 ? masks.workingFile(frame.maskNumber) : std::string(),
                     nullptr};
    if (inMemory && frame.maskNumber != 0) {
        const auto kept = inMemory->find(frame.maskNumber);
        if (kept != inMemory->end()) files.maskInMemory = kept->second;
    }
    return files;
}

}  // namespace morvel
