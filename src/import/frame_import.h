#pragma once

#include <string>
#include <vector>

#include "import/frame_thumbnails.h"
#include "import/import_progress.h"
#include "import/thumbnail_loader.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Frames taken from one video at most: a crafted file that claims millions of frames must not
// make millions of frame records. The frames after these are left out without a message.
constexpr int kMaxVideoFrames = 100000;

// How a dropped file is handled, by the upper-case text after the last "." of its file part.
// Only the offer to the import depends on it: pictures are decoded by their content.
enum class DroppedFileKind { Picture, Video, Ignored };
DroppedFileKind KindOfDroppedFile(const std::string& path);

// The paths of a drop's file list (separated by line feeds), sorted ascending comparing
// case-insensitively (A-Z read as a-z).
std::vector<std::string> SortedDropPaths(const std::string& fileList);

// Finds the frame that receives a layer at position: the frame there when its layer is empty, a new
// frame inserted before it when the layer is filled, a new frame at the end when position is at or
// behind the end. Returns the position used.
int ClaimFrameSlot(Document& document, int layer, int position);

// Puts a picture file into the layer of the frame claimed at position and returns the position
// for the next file. A picture that cannot be decoded is reported (loadimage, place 7, number
// layer + 1) and leaves the claimed frame with an empty layer. decoded, when given, is the
// thumbnail made ahead for this path (ThumbnailLoader); otherwise the picture is decoded here.
int AddImageLayer(Document& document, FrameThumbnails& thumbnails, Services& services, int layer,
                  int position, const std::string& path, DecodedThumbnail* decoded = nullptr);

// One frame per video frame (at most kMaxVideoFrames), in the layer, at consecutive positions
// from position; returns the position for the next file. The video is opened once, decoded in
// order and closed once. A video that cannot be opened is reported by the reader and adds
// nothing; a frame that cannot be decoded is reported (loadimage, place 7) and keeps its frame
// with an empty layer. progress, when given, is the drop's; otherwise the import has its own.
int AddAviLayers(Document& document, FrameThumbnails& thumbnails, Services& services, int layer,
                 int position, const std::string& videoPath, ImportProgress* progress = nullptr);

// The files of a drop, in sorted order, into the layer from position on: pictures and videos
// become frames, folders are refused with a message, missing paths and other files are passed
// over. Returns how many layers received a picture. Stops early when the progress dialog is
// cancelled; what was imported stays.
int ImportFileList(Document& document, FrameThumbnails& thumbnails, Services& services, int layer,
                   const std::string& fileList, int position);

}  // namespace morvel
