#pragma once

#include <memory>
#include <string>
#include <vector>

#include "camera/camera.h"

namespace morvel {

// Still cameras through libgphoto2. url is "gphoto2:" for the first camera found or
// "gphoto2:<model>@<port>" for one of those FindGphotoCameras lists.
std::unique_ptr<Camera> OpenGphotoCamera(const std::string& url, CameraFault& fault,
                                         std::string& detail);

// The URLs of the still cameras connected now, with their models as labels.
struct CameraChoice {
    std::string url;
    std::string label;
};
std::vector<CameraChoice> FindGphotoCameras();

}  // namespace morvel
