#include "project/copy_names.h"

#include <unordered_map>

#include "project/name_template.h"

namespace morvel {

bool CopyNamesCollide(const FrameList& frames, const std::string& projectPath,
                      const std::string& maskTemplate, const std::string& frameTemplate) {
    const int count = frames.size();
    const int digits = DigitCount(count);
    // Target name -> what is written there: a picture's source, or "" for a mask.
    std::unordered_map<std::string, std::string> written;
    const auto claim = [&](const std::string& target, const std::string& what) {
        const auto [place, added] = written.try_emplace(target, what);
        return added || (!what.empty() && place->second == what);
    };
    for (int i = 0; i < count; ++i) {
        const FrameRecord& frame = frames.at(i);
        for (int layer = 0; layer < 2; ++layer) {
            const std::string& source = frame.layerSource[layer];
            // Without a frame template nothing is copied; a video frame has no file to copy.
            if (frameTemplate.empty() || source.empty() || source.rfind("$AVI$", 0) == 0) continue;
            const std::string target = ExpandNameTemplate(frameTemplate, i + 1, digits, projectPath,
                                                          layer, "." + FileExtension(source));
            if (!claim(target, source)) return true;
        }
        if (frame.maskNumber != 0 &&
            !claim(ExpandNameTemplate(maskTemplate, i + 1, digits, projectPath, std::nullopt, ""),
                   ""))
            return true;
    }
    return false;
}

}  // namespace morvel
