#include "camera/folder_camera.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <atomic>
#include <condition_variable>
#include <thread>
#include <vector>

#include "camera/live_scaler.h"
#include "codecs/picture_io.h"
#include "codecs/shrink_picture.h"
#include "platform/files.h"

namespace morvel {

namespace {

std::string lowerExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool isPicture(const std::string& extension) {
    return extension == "jpg" || extension == "jpeg" || extension == "png";
}

bool isRaw(const std::string& extension) {
    return extension == "cr2" || extension == "cr3" || extension == "nef" ||
           extension == "arw" || extension == "dng" || extension == "raf" || extension == "orf";
}

class FolderCamera final : public Camera {
public:
    FolderCamera(const std::string& url, std::string folder, std::vector<std::string> pictures,
                 std::vector<std::string> raws)
        : Camera(url),
          m_folder(std::move(folder)),
          m_pictures(std::move(pictures)),
          m_raws(std::move(raws)),
          m_decoder([this] { decodeLoop(); }) {}
    ~FolderCamera() override;

    void startLive(int fitWidth, int fitHeight) override;
    void stopLive() override;

protected:
    CaptureResult captureNow(const std::string& stem) override;

private:
    void decodeLoop();
    std::string rawBeside(const std::string& picture) const;

    const std::string m_folder;
    const std::vector<std::string> m_pictures;
    const std::vector<std::string> m_raws;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::size_t m_next = 0;  // the picture the next capture takes
    bool m_live = false;
    bool m_shown = false;  // live view shows m_next at the size asked for
    int m_fitWidth = 0;
    int m_fitHeight = 0;
    bool m_ending = false;
    std::thread m_decoder;
};

FolderCamera::~FolderCamera() {
    endCaptureWorker();
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
        m_wake.notify_all();
    }
    m_decoder.join();
}

void FolderCamera::startLive(int fitWidth, int fitHeight) {
    std::lock_guard lock(m_mutex);
    m_live = true;
    m_shown = false;
    m_fitWidth = fitWidth;
    m_fitHeight = fitHeight;
    m_wake.notify_all();
}

void FolderCamera::stopLive() {
    std::lock_guard lock(m_mutex);
    m_live = false;
}

void FolderCamera::decodeLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_ending || (m_live && !m_shown); });
        if (m_ending) return;
        m_shown = true;
        const std::string path = m_folder + m_pictures[m_next];
        const int fitWidth = m_fitWidth;
        const int fitHeight = m_fitHeight;
        lock.unlock();
        Image picture;
        const bool read = LoadPictureFileReduced(path, picture, fitWidth, fitHeight) == LoadResult::Ok;
        if (read) {
            const FitSize size = FitInside(picture.width(), picture.height(), fitWidth, fitHeight);
            if (size.width != picture.width()) {
                const int factor = std::max(1, picture.width() / std::max(1, size.width));
                if (factor > 1) picture = ShrinkPicture(picture, factor);
            }
            publishLive(std::move(picture));
        } else {
            setLiveFault(CameraFault::Gone, path);
        }
        lock.lock();
    }
}

std::string FolderCamera::rawBeside(const std::string& picture) const {
    const std::string stem = picture.substr(0, picture.rfind('.'));
    for (const std::string& raw : m_raws) {
        if (raw.substr(0, raw.rfind('.')) == stem) return raw;
    }
    return {};
}

CaptureResult FolderCamera::captureNow(const std::string& stem) {
    std::string name;
    {
        std::lock_guard lock(m_mutex);
        name = m_pictures[m_next];
    }
    CaptureResult result;
    const auto bytes = ReadFileBytes(m_folder + name);
    if (!bytes) {
        result.fault = CameraFault::Gone;
        result.detail = m_folder + name;
        return result;
    }
    const std::string extension = lowerExtension(name) == "png" ? "png" : "jpg";
    result = StoreCapturedPicture(stem, extension, *bytes);
    if (result.fault != CameraFault::None) return result;
    if (const std::string raw = rawBeside(name); !raw.empty()) {
        const auto rawBytes = ReadFileBytes(m_folder + raw);
        CaptureResult kept;
        if (rawBytes) kept = WriteCapturedFile(stem, lowerExtension(raw), rawBytes->data(), rawBytes->size());
        if (!rawBytes || kept.fault != CameraFault::None) {
            std::remove(result.picture.c_str());
            kept.fault = rawBytes ? kept.fault : CameraFault::Gone;
            return kept;
        }
        result.raw = kept.picture;
    }
    std::lock_guard lock(m_mutex);
    m_next = (m_next + 1) % m_pictures.size();
    m_shown = false;
    m_wake.notify_all();
    return result;
}

}  // namespace

std::unique_ptr<Camera> OpenFolderCamera(const std::string& folder, CameraFault& fault,
                                         std::string& detail) {
    const std::string path = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::vector<std::string> pictures;
    std::vector<std::string> raws;
    if (!IsFolder(path)) {
        fault = CameraFault::CannotOpen;
        detail = folder;
        return nullptr;
    }
    for (const FolderEntry& entry : ListFolder(path)) {
        if (!entry.isFile) continue;
        const std::string extension = lowerExtension(entry.name);
        if (isPicture(extension)) pictures.push_back(entry.name);
        if (isRaw(extension)) raws.push_back(entry.name);
    }
    if (pictures.empty()) {
        fault = CameraFault::NotACamera;
        detail = folder;
        return nullptr;
    }
    std::sort(pictures.begin(), pictures.end());
    fault = CameraFault::None;
    return std::make_unique<FolderCamera>("folder:" + folder, path, std::move(pictures),
                                          std::move(raws));
}

}  // namespace morvel
