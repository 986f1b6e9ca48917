#pragma once

#include <string>

#include "project/document.h"

namespace morvel {

// Whether saving the frames at projectPath under these templates would write two different
// files to one name: two pictures whose copies take the same name (a frame template without
// "$Layer" or "$Nr"), two masks (a mask template without "$Nr"), or a picture copy landing on a
// mask file. Such a save would silently lose a
// picture. The same picture copied twice to one name (a repeated frame) is no collision, and AVI
// frame references are never copied.
bool CopyNamesCollide(const FrameList& frames, const std::string& projectPath,
                      const std::string& maskTemplate, const std::string& frameTemplate);

}  // namespace morvel
