#include "camera/camera.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "codecs/picture_io.h"
#include "codecs/shrink_picture.h"
#include "platform/files.h"

namespace morvel {

Camera::~Camera() {
    endCaptureWorker();
}

std::optional<LiveFrame> Camera::newestLive(std::uint64_t after) const {
    std::lock_guard lock(m_liveMutex);
    if (!m_newest.picture || m_newest.number <= after) return std::nullopt;
    return m_newest;
}

CameraFault Camera::liveFault() const {
    std::lock_guard lock(m_liveMutex);
    return m_liveFault;
}

std::string Camera::liveFaultDetail() const {
    std::lock_guard lock(m_liveMutex);
    return m_liveFaultDetail;
}

void Camera::publishLive(Image picture) {
    auto shared = std::make_shared<const Image>(std::move(picture));
    std::lock_guard lock(m_liveMutex);
    m_newest.picture = std::move(shared);
    ++m_newest.number;
}

void Camera::setLiveFault(CameraFault fault, const std::string& detail) {
    std::lock_guard lock(m_liveMutex);
    m_liveFault = fault;
    m_liveFaultDetail = detail;
}

void Camera::clearLiveFault() {
    setLiveFault(CameraFault::None, {});
}

bool Camera::beginCapture(const std::string& stem, CaptureFollowUp followUp) {
    std::lock_guard lock(m_captureMutex);
    if (m_working) return false;
    if (m_worker.joinable()) m_worker.join();  // it has ended its work
    m_working = true;
    m_handedOut = false;
    m_result.reset();
    m_deadline = std::chrono::steady_clock::now() + m_timeout;
    m_worker = std::thread([this, stem, followUp = std::move(followUp)] {
        CaptureResult result = captureNow(stem);
        if (result.fault == CameraFault::None) finishTake(result, followUp);
        std::lock_guard lock(m_captureMutex);
        if (!m_handedOut) m_result = std::move(result);
        m_working = false;
    });
    return true;
}

bool Camera::busy() const {
    std::lock_guard lock(m_captureMutex);
    return m_working;
}

std::optional<CaptureResult> Camera::takeCaptureResult() {
    std::lock_guard lock(m_captureMutex);
    if (m_handedOut) return std::nullopt;
    if (m_result) {
        m_handedOut = true;
        return std::exchange(m_result, std::nullopt);
    }
    if (std::chrono::steady_clock::now() < m_deadline) return std::nullopt;
    m_handedOut = true;
    CaptureResult late;
    late.fault = CameraFault::TimedOut;
    return late;
}

CaptureResult Camera::waitForCapture() {
    for (;;) {
        {
            std::lock_guard lock(m_captureMutex);
            if (m_handedOut) {
                CaptureResult none;
                none.fault = CameraFault::CaptureFailed;
                return none;
            }
        }
        if (std::optional<CaptureResult> result = takeCaptureResult()) return *result;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Camera::finishTake(CaptureResult& result, const CaptureFollowUp& followUp) {
    if (result.decoded.empty()) return;
    const Image& decoded = result.decoded;
    std::thread other;
    if (followUp) {
        try {
            other = std::thread([&followUp, &decoded] { followUp(decoded); });
        } catch (const std::system_error&) {  // no thread to be had: one after the other
            followUp(decoded);
        }
    }
    // The thumbnail's picture from the decoded one: a second decode, even reduced, costs more.
    const int factor = std::max(1, std::min(decoded.width() / kPreviewWidth,
                                            decoded.height() / kPreviewHeight));
    result.preview = ShrinkPicture(decoded, factor);
    if (other.joinable()) other.join();
    if (result.preview.empty()) result.decoded = Image();
}

void Camera::endCaptureWorker() {
    std::thread worker;
    {
        std::lock_guard lock(m_captureMutex);
        m_handedOut = true;
        worker = std::move(m_worker);
    }
    if (worker.joinable()) worker.join();
}

CaptureResult WriteCapturedFile(const std::string& stem, const std::string& extension,
                                const std::uint8_t* bytes, std::size_t size) {
    CaptureResult result;
    result.picture = stem + "." + extension;
    StagedFile file;
    if (!file.write(result.picture, {bytes, size}) || !file.commit()) {
        result.fault = CameraFault::CannotWrite;
        result.detail = result.picture;
        result.picture.clear();
    }
    return result;
}

CaptureResult StoreCapturedPicture(const std::string& stem, const std::string& extension,
                                   std::span<const std::uint8_t> bytes) {
    Image decoded;
    const auto decode = [&] {
        if (DecodePicture(bytes, decoded) != LoadResult::Ok) decoded = Image();
    };
    std::thread decoding;
    try {
        decoding = std::thread(decode);
    } catch (const std::system_error&) {  // no thread to be had: one after the other
        decode();
    }
    CaptureResult result = WriteCapturedFile(stem, extension, bytes.data(), bytes.size());
    if (decoding.joinable()) decoding.join();
    if (result.fault == CameraFault::None) result.decoded = std::move(decoded);
    return result;
}

}  // namespace morvel
