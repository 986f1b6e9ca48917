#include "camera/camera_list.h"

#include <algorithm>

#include "camera/av_camera.h"
#include "camera/folder_camera.h"
#include "platform/files.h"

namespace morvel {

std::vector<CameraChoice> FindV4l2Cameras(const std::string& sysfsFolder) {
    std::vector<CameraChoice> found;
    for (const FolderEntry& entry : ListFolder(sysfsFolder)) {
        if (entry.name.rfind("video", 0) != 0) continue;
        std::string label = entry.name;
        if (const auto name = ReadFileBytes(sysfsFolder + entry.name + "/name", 4096)) {
            label.assign(name->begin(), name->end());
            while (!label.empty() && (label.back() == '\n' || label.back() == ' ')) label.pop_back();
        }
        found.push_back({"v4l2:/dev/" + entry.name, label + " (/dev/" + entry.name + ")"});
    }
    std::sort(found.begin(), found.end(),
              [](const CameraChoice& a, const CameraChoice& b) { return a.url < b.url; });
    return found;
}

std::vector<CameraChoice> FindCameras() {
    std::vector<CameraChoice> found = FindGphotoCameras();
    for (CameraChoice& webcam : FindV4l2Cameras()) found.push_back(std::move(webcam));
    return found;
}

std::unique_ptr<Camera> OpenCamera(const std::string& url, CameraFault& fault,
                                   std::string& detail) {
    fault = CameraFault::None;
    detail.clear();
    if (url.rfind("folder:", 0) == 0) return OpenFolderCamera(url.substr(7), fault, detail);
    if (url.rfind("gphoto2:", 0) == 0) return OpenGphotoCamera(url, fault, detail);
    if (url.rfind("lavfi:", 0) == 0 || url.rfind("v4l2:", 0) == 0 || url.rfind("/dev/", 0) == 0)
        return OpenAvCamera(url, fault, detail);
    fault = CameraFault::CannotOpen;
    detail = url;
    return nullptr;
}

}  // namespace morvel
