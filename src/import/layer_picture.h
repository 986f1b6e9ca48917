#pragma once

#include <array>
#include <string>

#include "platform/grey_image.h"
#include "platform/image.h"
#include "project/document.h"
#include "project/services.h"
#include "project/view_geometry.h"

namespace morvel {

class LayerPictureReader;
class VideoPool;

// Reads the full picture of a layer source (a picture file read by content, or an AVI frame
// reference) into target at the picture's own size. On failure returns false and leaves
// target as it was; the caller reports. With a picture reader, the pictures come from it; otherwise
// a video is opened and closed again for the one frame.
bool LoadLayerPicture(LayerPictureReader* reader, Services& services, Image& target,
                      const std::string& layerSource);

// Reads as LoadLayerPicture does without a picture reader (reporting what a video reports), into
// picture; false on failure.
bool ReadLayerPictureNow(Services& services, Image& picture, const std::string& layerSource);

// What a layer source that could not be read is reported as: LargeImage for a picture file
// whose size is past the program's cap, LoadImage for anything else (missing, damaged, a video
// frame). It reads the file once more, so it belongs on the failure path only.
ErrorKind LayerLoadError(const std::string& layerSource);

// What reading a layer source gave, without reporting anything: safe on any thread.
struct LayerRead {
    bool ok = false;
    int videoOpenError = -1;  // >= 0: the video could not be opened; the useaviexport number
};

// Reads a layer source into picture (left as it was on failure); video frames come from pool.
LayerRead ReadLayerSource(const std::string& layerSource, VideoPool& pool, Image& picture);

// Reports what a failed read must show before the caller's own error: a video that could not be
// opened (useaviexport, place 16), as the frame reader reports it.
void ReportLayerRead(const ErrorReporter& reporter, const LayerRead& read);

// A frame's composite made ahead, and the canvas it scales to in the view it was made for.
struct ComposedAhead {
    Image composite;  // empty: only the canvas was kept
    int width = 0;    // the composite's size
    int height = 0;
    Image canvas;  // empty: not made
    ViewGeometry view;
};

// A source of layer pictures that replaces reading each one when it is asked for, e.g. pictures
// read ahead on other threads during an export. It reports as LoadLayerPicture's own reading
// does.
class LayerPictureReader {
public:
    virtual ~LayerPictureReader() = default;
    virtual bool read(Services& services, const std::string& layerSource, Image& picture) = 0;
    // A mask's working file as its grey: by default the blue of what read() gives.
    virtual bool readMask(Services& services, const std::string& file, GreyImage& mask);
    // Frame index is now the displayed frame (a reader may prepare the frames around it).
    // canvasWidth x canvasHeight is the canvas the frames are shown on, in view. held names the
    // pictures the window holds: the displayed frame's, or, while the window still waits for
    // them (see readyFor), those of the frame it showed before; the displayed frame's own
    // pictures are then prepared first. The masks kept in memory stand for their working files.
    virtual void frameShown(const Document& /*document*/, const ViewGeometry& /*view*/,
                            int /*canvasWidth*/, int /*canvasHeight*/, int /*index*/,
                            const FrameFiles& /*held*/, const MasksInMemory* /*inMemory*/) {}
    // The same when the window holds the displayed frame's pictures.
    void frameShown(const Document& document, const ViewGeometry& view, int canvasWidth,
                    int canvasHeight, int index, const MasksInMemory* inMemory = nullptr) {
        FrameFiles held;
        if (index >= 0 && index < document.frames.size())
            held = FilesOf(document, document.frames.at(index), inMemory);
        frameShown(document, view, canvasWidth, canvasHeight, index, held, inMemory);
    }
    // Lets go of every picture prepared or kept for later, also what is being prepared: the
    // window does not need them for a while (the film plays from the playback cache).
    virtual void letGo() {}
    // Whether read() gives each of files (empty names are left out) at once, without reading
    // or waiting: false lets the window show something else meanwhile.
    virtual bool readyFor(const FrameFiles& /*files*/) { return true; }
    // The composite of the frame of files, made ahead from the very pictures this reader has
    // just given out for each of them; false when there is none.
    virtual bool takeComposed(const FrameFiles& /*files*/, ComposedAhead& /*out*/) { return false; }
    // A picture the window no longer shows, as file holds it now: the reader may keep it for a
    // neighbour instead of decoding the file again.
    virtual void setAside(const std::string& /*file*/, Image&& /*picture*/) {}
    // The same for a mask's grey.
    virtual void setAsideMask(const std::string& /*file*/, GreyImage&& /*mask*/) {}
    // The window got file's picture, as the file is now, from somewhere else (a capture): it
    // counts as given out by this reader when it is set aside later.
    virtual void givenElsewhere(const std::string& /*file*/) {}
};

}  // namespace morvel
