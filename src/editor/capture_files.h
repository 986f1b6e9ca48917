#pragma once

#include <string>

#include "editor/shooting.h"
#include "project/document.h"

namespace morvel {

// The user's pictures folder as `xdg-user-dir PICTURES` names it (the home folder when it
// names none), ending with "/".
std::string UserPicturesFolder();

// Where captures go, ending with "/": the settings' folder, else a folder named after the
// project beside the project file, or below the pictures folder for a project not yet saved
// (named after untitledName then).
std::string CaptureFolder(const Document& document, const Shooting& shooting,
                          const std::string& untitledName);

// The project's name as "$Project" gives it: its file name without extension, or untitledName's.
std::string ProjectNameForCaptures(const Document& document, const std::string& untitledName);

// The path without extension of the take layer (0 or 1) of the frame at place position (from
// 0), by the settings' name template; a name whose picture exists already gets "_2", "_3", ...
std::string CaptureStem(const std::string& folder, const std::string& projectName,
                        const CaptureSettings& settings, int position, int layer);

}  // namespace morvel
