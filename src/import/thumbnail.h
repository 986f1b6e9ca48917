#pragma once

#include "import/frame_thumbnails.h"
#include "platform/image.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

constexpr int kThumbnailWidth = 60;
constexpr int kThumbnailHeight = 45;

// The picture scaled to width x height by averaging the source pixels under each target pixel
// (the aspect ratio is not kept).
Image ScalePicture(const Image& picture, int width, int height);

// The picture scaled to the thumbnail size, 60 x 45.
Image MakeThumbnail(const Image& picture);

// Makes the layer's 60 x 45 thumbnail of a freshly decoded picture and its gadget in the layer's
// row of the frame strip; the tooltip is the file part of the layer source.
void AttachLayerThumbnail(FrameThumbnails& thumbnails, Services& services, const FrameRecord& frame,
                          int layer, const Image& picture);

// The same for a thumbnail made already (60 x 45), which the frame takes over; its gadget at x
// in the strip when the frame's column is known already.
void AttachThumbnailImage(FrameThumbnails& thumbnails, Services& services, const FrameRecord& frame,
                          int layer, Image thumbnail, int x = 5);

// A copy of the layer's thumbnail as the strip shows it. One not made yet (a long film's
// thumbnails are made after it opened) is made now when the program makes thumbnails. Empty
// when there is none.
Image CopyOfLayerThumbnail(const FrameThumbnails& thumbnails, Services& services,
                           const FrameRecord& frame, int layer);

// The tooltip of a layer: the text after the last "/" or "\" of its source (for a video frame,
// the video's file name).
std::string ThumbnailTooltip(const std::string& layerSource);

// Frees the layer's thumbnail gadget and thumbnail image.
void ReleaseLayerThumbnail(FrameThumbnails& thumbnails, Services& services, FrameId frame,
                           int layer);

}  // namespace morvel
