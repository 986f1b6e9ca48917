#pragma once

#include <memory>
#include <string>

#include "camera/camera.h"

namespace morvel {

// Webcams (V4L2) and FFmpeg's lavfi test sources through libavdevice: url is "lavfi:<graph>",
// "v4l2:<device>" or a device path.
std::unique_ptr<Camera> OpenAvCamera(const std::string& url, CameraFault& fault,
                                     std::string& detail);

}  // namespace morvel
