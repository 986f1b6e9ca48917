#pragma once

#include <optional>
#include <string>

namespace morvel {

// Mask files and picture copies are placed beside the project file by name templates: relative
// paths in which "$Nr", "$Project" and "$Layer" (any letter case) are replaced.

// The number of characters of n in decimal: the width "$Nr" is padded to for n frames
// (9 frames: 1, 10 frames: 2, 150 frames: 3).
int DigitCount(int n);

// The path of frame k's file: the folder of projectPath followed by the template with
//   "$Nr"      -> k in decimal, padded on the left with "0" to digits characters (never cut),
//   "$Project" -> the file part of projectPath without its last extension,
//   "$Layer"   -> layer + 1 (only when a layer, 0 or 1, is given; then extension is appended).
// The placeholders are replaced in that order, each occurrence once from left to right; text a
// replacement brings in is not searched again by the same replacement. A "\" in the template is
// a folder separator, as in templates from projects made on Windows.
std::string ExpandNameTemplate(const std::string& nameTemplate, int k, int digits,
                               const std::string& projectPath, std::optional<int> layer,
                               const std::string& extension);

// name without its last extension, followed by extension. A "." counts as the start of the
// extension only when no "/" or "\" comes after it: "Projekt.mvl" with "" gives "Projekt",
// "film.old" with ".mvl" gives "film.mvl", "/a.b/film" with ".mvl" gives "/a.b/film.mvl".
std::string ReplaceExtension(const std::string& name, const std::string& extension);

// The text after the last "." of name, "" when there is none or a "/" or "\" follows it
// ("IMG_0007.JPG" gives "JPG").
std::string FileExtension(const std::string& name);

}  // namespace morvel
