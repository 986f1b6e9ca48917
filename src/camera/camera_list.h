#pragma once

#include <string>
#include <vector>

#include "camera/gphoto_camera.h"

namespace morvel {

// The cameras connected now: still cameras libgphoto2 finds, then the V4L2 webcams
// (/dev/video*, labelled with the name the kernel gives them).
std::vector<CameraChoice> FindCameras();

// The webcams alone, read from the given sysfs folder (the real one by default).
std::vector<CameraChoice> FindV4l2Cameras(const std::string& sysfsFolder = "/sys/class/video4linux/");

}  // namespace morvel
