#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/image.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// What AccessAviFrames does, processed in the order open, fetch, close.
enum AviAccess : int {
    kAviClose = 1,  // release the open video
    kAviFetch = 2,  // decode one frame
    kAviOpen = 4,   // open the video and its first video stream
    kAviOpenFetchClose = 7,
};

// The parts of an AVI frame reference "$AVI$<hex frame>$<video path>" (or of the open
// reference "$AVI$*$<video path>", whose frame number reads as 0).
struct AviReference {
    std::int32_t frame = 0;
    std::string videoPath;
};

// True when the layer source names a video frame: it begins with "$AVI$".
bool IsAviReference(const std::string& source);
AviReference ParseAviReference(const std::string& reference);
std::string MakeAviReference(std::int32_t frame, const std::string& videoPath);

// The useaviexport error number of a failed open: 0 cannot open, 1 no video stream, 2 no
// decoder.
int AviOpenErrorNumber(VideoReader::OpenResult result);

struct AviStreamInfo {
    std::int32_t firstFrame = 0;
    std::int32_t frameCount = 0;
};

// Opens, fetches from and closes the one video the program may hold open (services.videoReader).
// With kAviFetch the frame named by the reference is decoded into picture and the result tells
// whether that worked; without it the result tells whether opening worked. On open, info (when
// given) receives the stream's first frame and frame count. Failures to open are reported as
// useaviexport (place 16, numbers 0, 1, 2).
bool AccessAviFrames(Services& services, Image* picture, const std::string& reference, int flags,
                     AviStreamInfo* info = nullptr);

// The fetch of AccessAviFrames on a reader of the caller's: decodes the frame the reference names
// from the reader's open video into picture. False (picture untouched) when nothing is open or
// the frame cannot be decoded. Frames fetched in increasing order are decoded on without seeking.
bool FetchAviFrame(VideoReader& reader, const std::string& reference, Image& picture);

}  // namespace morvel
