#pragma once

#include <set>
#include <string>

#include "project/project_file.h"
#include "project/services.h"

namespace morvel {

// The picture (or video) file a layer source names: the source itself, or the video path of an
// AVI frame reference.
std::string SourceFile(const std::string& source);
// The source with its file replaced.
std::string WithSourceFile(const std::string& source, const std::string& file);

// Where a missing file is found again below projectFolder by its path's trailing components,
// longest first ("/old/film/takes/a.png" in "/new/film/" finds "/new/film/takes/a.png"); ""
// when nowhere. "\" separates components too, for projects made on Windows.
std::string FindByTrailingComponents(const std::string& path, const std::string& projectFolder);

// Relinks the layer sources of a project just read whose files are missing: first beside the
// project file by their trailing components, then, when some are still missing, in one folder
// searched by file name (and its folders one level below): services.pictureSearchFolder when set,
// else the folder the user chooses after one question (only in a program that shows
// thumbnails). Returns the files still missing that the user was told about at once, so that
// they need no message each.
std::set<std::string> RelinkMovedPictures(Document& document, Services& services,
                                          ProjectFileContents& contents);

}  // namespace morvel
