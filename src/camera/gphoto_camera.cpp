#include "camera/gphoto_camera.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "camera/live_scaler.h"
#include "codecs/picture_io.h"

#include <gphoto2/gphoto2.h>

namespace morvel {

namespace {

using GpCamera = ::Camera;

struct Detected {
    std::string model;
    std::string port;
};

std::vector<Detected> detect(GPContext* context) {
    std::vector<Detected> found;
    CameraList* list = nullptr;
    if (gp_list_new(&list) < GP_OK) return found;
    const int count = gp_camera_autodetect(list, context);
    for (int i = 0; i < count; ++i) {
        const char* model = nullptr;
        const char* port = nullptr;
        gp_list_get_name(list, i, &model);
        gp_list_get_value(list, i, &port);
        if (model && port) found.push_back({model, port});
    }
    gp_list_free(list);
    return found;
}

std::string lowerExtension(const char* name) {
    std::string text(name);
    const auto dot = text.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

class GphotoCamera final : public morvel::Camera {
public:
    explicit GphotoCamera(const std::string& url) : morvel::Camera(url) {}
    ~GphotoCamera() override;

    CameraFault open(std::string& detail);
    void startLive(int fitWidth, int fitHeight) override;
    void stopLive() override;

protected:
    CaptureResult captureNow(const std::string& stem) override;

private:
    void liveLoop();
    CaptureResult fetch(const CameraFilePath& path, const std::string& stem, CaptureResult& result);

    GPContext* m_context = nullptr;
    GpCamera* m_camera = nullptr;
    std::mutex m_cameraMutex;  // one call into the camera at a time

    std::mutex m_liveMutex;
    std::condition_variable m_wake;
    bool m_live = false;
    bool m_ending = false;
    int m_fitWidth = 0;
    int m_fitHeight = 0;
    std::thread m_liveThread;
};

GphotoCamera::~GphotoCamera() {
    endCaptureWorker();
    {
        std::lock_guard lock(m_liveMutex);
        m_ending = true;
        m_wake.notify_all();
    }
    if (m_liveThread.joinable()) m_liveThread.join();
    if (m_camera) {
        gp_camera_exit(m_camera, m_context);
        gp_camera_free(m_camera);
    }
    if (m_context) gp_context_unref(m_context);
}

CameraFault GphotoCamera::open(std::string& detail) {
    m_context = gp_context_new();
    const std::string wanted = url().substr(url().find(':') + 1);
    const auto at = wanted.rfind('@');
    std::vector<Detected> found = detect(m_context);
    const Detected* chosen = nullptr;
    for (const Detected& camera : found) {
        if (wanted.empty() || (at != std::string::npos && camera.model == wanted.substr(0, at) &&
                               camera.port == wanted.substr(at + 1))) {
            chosen = &camera;
            break;
        }
    }
    if (!chosen) {
        detail = wanted.empty() ? "gphoto2: no camera found" : url() + ": camera not found";
        return CameraFault::CannotOpen;
    }
    if (gp_camera_new(&m_camera) < GP_OK) return CameraFault::CannotOpen;

    CameraAbilitiesList* abilitiesList = nullptr;
    CameraAbilities abilities;
    gp_abilities_list_new(&abilitiesList);
    gp_abilities_list_load(abilitiesList, m_context);
    const int model = gp_abilities_list_lookup_model(abilitiesList, chosen->model.c_str());
    const bool known = model >= GP_OK &&
                       gp_abilities_list_get_abilities(abilitiesList, model, &abilities) >= GP_OK;
    gp_abilities_list_free(abilitiesList);
    if (known) gp_camera_set_abilities(m_camera, abilities);

    GPPortInfoList* ports = nullptr;
    gp_port_info_list_new(&ports);
    gp_port_info_list_load(ports);
    const int port = gp_port_info_list_lookup_path(ports, chosen->port.c_str());
    GPPortInfo info;
    if (port >= GP_OK && gp_port_info_list_get_info(ports, port, &info) >= GP_OK)
        gp_camera_set_port_info(m_camera, info);
    gp_port_info_list_free(ports);

    const int ready = gp_camera_init(m_camera, m_context);
    if (ready < GP_OK) {
        detail = chosen->model + " (" + chosen->port + "): " + gp_result_as_string(ready);
        return CameraFault::CannotOpen;
    }
    if (known && !(abilities.operations & GP_OPERATION_CAPTURE_IMAGE)) {
        detail = chosen->model;
        return CameraFault::NotACamera;
    }
    m_liveThread = std::thread([this] { liveLoop(); });
    return CameraFault::None;
}

void GphotoCamera::startLive(int fitWidth, int fitHeight) {
    std::lock_guard lock(m_liveMutex);
    m_live = true;
    m_fitWidth = fitWidth;
    m_fitHeight = fitHeight;
    m_wake.notify_all();
}

void GphotoCamera::stopLive() {
    std::lock_guard lock(m_liveMutex);
    m_live = false;
}

void GphotoCamera::liveLoop() {
    std::unique_lock lock(m_liveMutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_ending || m_live; });
        if (m_ending) return;
        const int fitWidth = m_fitWidth;
        const int fitHeight = m_fitHeight;
        lock.unlock();
        CameraFile* file = nullptr;
        gp_file_new(&file);
        int got;
        {
            std::lock_guard camera(m_cameraMutex);
            got = gp_camera_capture_preview(m_camera, file, m_context);
        }
        const char* data = nullptr;
        unsigned long size = 0;
        Image picture;
        if (got >= GP_OK) got = gp_file_get_data_and_size(file, &data, &size);
        const bool decoded =
            got >= GP_OK &&
            DecodePictureReduced({reinterpret_cast<const std::uint8_t*>(data), size}, picture,
                                 fitWidth, fitHeight) == LoadResult::Ok;
        gp_file_unref(file);
        lock.lock();
        if (decoded) {
            publishLive(std::move(picture));
        } else if (got < GP_OK) {
            // Unplugged, or live view is not what this camera does: live view stops.
            setLiveFault(got == GP_ERROR_NOT_SUPPORTED ? CameraFault::NotACamera : CameraFault::Gone,
                         url() + ": " + gp_result_as_string(got));
            m_live = false;
        }
    }
}

CaptureResult GphotoCamera::fetch(const CameraFilePath& path, const std::string& stem,
                                  CaptureResult& result) {
    CameraFile* file = nullptr;
    gp_file_new(&file);
    int got = gp_camera_file_get(m_camera, path.folder, path.name, GP_FILE_TYPE_NORMAL, file,
                                 m_context);
    const char* data = nullptr;
    unsigned long size = 0;
    if (got >= GP_OK) got = gp_file_get_data_and_size(file, &data, &size);
    CaptureResult written;
    if (got < GP_OK) {
        written.fault = CameraFault::CaptureFailed;
        written.detail = std::string(path.name) + ": " + gp_result_as_string(got);
    } else {
        const std::string extension = lowerExtension(path.name);
        const bool jpeg = extension == "jpg" || extension == "jpeg";
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
        written = jpeg ? StoreCapturedPicture(stem, "jpg", {bytes, size})
                       : WriteCapturedFile(stem, extension, bytes, size);
        if (written.fault == CameraFault::None && jpeg) {
            result.picture = written.picture;
            result.decoded = std::move(written.decoded);
        } else if (written.fault == CameraFault::None) {
            result.raw = written.picture;
        }
    }
    gp_file_unref(file);
    return written;
}

CaptureResult GphotoCamera::captureNow(const std::string& stem) {
    std::lock_guard camera(m_cameraMutex);
    CaptureResult result;
    CameraFilePath path{};
    const int taken = gp_camera_capture(m_camera, GP_CAPTURE_IMAGE, &path, m_context);
    if (taken < GP_OK) {
        result.fault = taken == GP_ERROR_CAMERA_BUSY ? CameraFault::Busy : CameraFault::CaptureFailed;
        result.detail = url() + ": " + gp_result_as_string(taken);
        return result;
    }
    CaptureResult written = fetch(path, stem, result);
    // A camera set to raw + JPEG announces the second file as an event.
    for (int i = 0; i < 10 && written.fault == CameraFault::None; ++i) {
        CameraEventType type;
        void* data = nullptr;
        if (gp_camera_wait_for_event(m_camera, 300, &type, &data, m_context) < GP_OK) break;
        const bool added = type == GP_EVENT_FILE_ADDED;
        if (added) written = fetch(*static_cast<CameraFilePath*>(data), stem, result);
        std::free(data);
        if (type == GP_EVENT_CAPTURE_COMPLETE || type == GP_EVENT_TIMEOUT) break;
    }
    if (written.fault != CameraFault::None) return written;
    if (result.picture.empty()) {
        // Raw only: the film needs a picture it can read.
        result.fault = CameraFault::UnsupportedFormat;
        result.detail = url() + ": " + result.raw;
    }
    return result;
}

}  // namespace

std::unique_ptr<Camera> OpenGphotoCamera(const std::string& url, CameraFault& fault,
                                         std::string& detail) {
    auto camera = std::make_unique<GphotoCamera>(url);
    fault = camera->open(detail);
    if (fault != CameraFault::None) return nullptr;
    return camera;
}

std::vector<CameraChoice> FindGphotoCameras() {
    std::vector<CameraChoice> choices;
    GPContext* context = gp_context_new();
    for (const Detected& camera : detect(context))
        choices.push_back({"gphoto2:" + camera.model + "@" + camera.port, camera.model});
    gp_context_unref(context);
    return choices;
}

}  // namespace morvel
