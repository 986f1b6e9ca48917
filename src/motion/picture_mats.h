#pragma once

#include <cstdint>
#include <optional>

#include <opencv2/core.hpp>

#include "platform/grey_image.h"
#include "platform/image.h"

namespace morvel {

// Morvel's pictures seen by OpenCV, laid out as the composition lays them.

// The picture as a result of size result sees it, aligned at the bottom-left corners: its
// bottom-left result-sized part (no copy), or the whole picture stretched to that size when it is
// smaller.
cv::Mat FittedPicture(const Image& picture, cv::Size result);

// The same for a mask's grey: one channel of mask values.
cv::Mat FittedMask(const GreyImage& mask, cv::Size result);

// What the motion is found on, at the work size: with a clean plate, the take in grey where it
// differs from the plate by more than threshold and black elsewhere, so that a still background
// does not hold back a thin rig moving over it; without one, the take in grey.
cv::Mat MotionPicture(const cv::Mat& take, const cv::Mat* plate, int threshold, cv::Size work);

// The value most of the mask has, and the bounding box of the pixels that differ from it (empty
// when none do).
struct MarkedPart {
    std::uint8_t common = 0;
    cv::Rect box;
};
MarkedPart MarkedPartOf(const cv::Mat& mask);

// One channel of mask values as a grey picture; nothing without the memory.
std::optional<GreyImage> GreyMaskImage(const cv::Mat& values);

}  // namespace morvel
