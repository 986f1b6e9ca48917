#pragma once

#include <memory>
#include <string>

#include "camera/camera.h"

namespace morvel {

// A camera that serves the pictures of a folder in turn, sorted by name: live view shows the
// picture the next capture takes, and each capture copies it (with a raw file of the same name,
// if the folder holds one) and moves on to the next, starting again after the last.
std::unique_ptr<Camera> OpenFolderCamera(const std::string& folder, CameraFault& fault,
                                         std::string& detail);

}  // namespace morvel
