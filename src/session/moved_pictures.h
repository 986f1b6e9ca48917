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

// How many trailing components two paths share ("/a/film/x.png" and "/b/film/x.png": 2).
int TrailingMatch(const std::string& path, const std::string& found);

// Where a missing file is found again below projectFolder by its path's trailing components,
// longest first ("/old/film/takes/a.png" in "/new/film/" finds "/new/film/takes/a.png"), when
// more than its bare name matches (the project folder's own name counts: "/old/film/a.png"
// is found as "/new/film/a.png"); "" when nowhere. "\" separates components too, for projects
// made on Windows.
std::string FindByTrailingComponents(const std::string& path, const std::string& projectFolder);

// Relinks the layer sources of a project just read whose files are missing, a shoot (the
// pictures of one old folder) at a time and only on evidence: first beside the project file by
// their trailing components; then pictures of the same names beside the project are offered to
// the user as candidates (chooseFolder; a program without a window refuses them); then one
// folder named by the user (services.pictureSearchFolder, or the folder chosen after one
// question in a program that shows thumbnails) is searched by name with its folders one level
// below, where a single folder holding the most of the shoot is taken and equal ones are offered.
// The sound track is looked for beside the project by its trailing components only.
struct RelinkResult {
    // The files still missing that the user was told about at once: they need no message each.
    std::set<std::string> toldMissing;
    // Every layer source whose file is still missing, told or not.
    std::set<std::string> missing;
    // Where pictures were found again, a line per folder, for the user; "" when nowhere.
    std::string report;
};
// Only frames from..to (0-based, inclusive; to -1: to the end) are looked at.
RelinkResult RelinkMovedPictures(Document& document, Services& services,
                                 ProjectFileContents& contents, int from = 0, int to = -1);

// The last frame before `first` with a layer file that is there or found again beside the
// project (the one whose size a range starting at first carries); 0 when there is none.
int LastFrameWithPictureBefore(const ProjectFileContents& contents, int first,
                               const std::string& projectFolder);

}  // namespace morvel
