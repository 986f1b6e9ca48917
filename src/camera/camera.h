#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "platform/image.h"

namespace morvel {

// Why a camera did not do what was asked.
enum class CameraFault {
    None,
    CannotOpen,         // the URL or device cannot be opened (or no camera was found)
    NotACamera,         // it opened but gives no pictures
    UnsupportedFormat,  // its pictures come in a form the program cannot take
    Gone,               // it went away while in use (unplugged, stream ended)
    Busy,               // a capture is still under way
    CaptureFailed,      // the camera refused or failed to take the picture
    TimedOut,           // the capture did not finish in time
    CannotWrite,        // the picture could not be written to its file
};

// One picture of the live view, already scaled to fit the size asked for. Numbers grow by one
// for each picture the camera delivers; a reader that skips some sees a gap.
struct LiveFrame {
    std::shared_ptr<const Image> picture;
    std::uint64_t number = 0;
};

// What a capture left on disk.
struct CaptureResult {
    CameraFault fault = CameraFault::None;
    std::string picture;  // the JPEG written
    std::string raw;      // the camera's raw file kept beside it, "" when there is none
    std::string detail;   // the library's own words or the file concerned, when it failed
    // The picture as its file holds it, and the same reduced to at least
    // kPreviewWidth x kPreviewHeight (for a thumbnail), both made on the capture's worker from
    // the bytes written; empty when they cannot be read as a picture.
    Image decoded;
    Image preview;
};

// Work a capture's requester wants done with the decoded take on the capture's worker (beside
// the making of its preview), before the result is handed out; only when the take decoded.
using CaptureFollowUp = std::function<void(const Image& decoded)>;

constexpr int kPreviewWidth = 60;
constexpr int kPreviewHeight = 45;

// A camera: live pictures decoded and scaled on the camera's own thread, and captures written
// to a file on a worker thread, one at a time.
class Camera {
public:
    virtual ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    const std::string& url() const { return m_url; }

    // Live pictures are scaled to fit width x height, keeping their proportions (the camera's
    // own size when either is 0). Starting again only changes the size.
    virtual void startLive(int fitWidth, int fitHeight) = 0;
    virtual void stopLive() = 0;

    // The newest live picture when its number is above after; older ones are dropped.
    std::optional<LiveFrame> newestLive(std::uint64_t after) const;
    // What stopped the live view (Gone, ...), None while it is well.
    CameraFault liveFault() const;
    std::string liveFaultDetail() const;

    // Starts writing a picture to stem + ".jpg" (a raw file, if any, to stem + its own
    // extension), then runs followUp, if any, on the same worker. False, doing nothing, while a
    // capture is under way.
    bool beginCapture(const std::string& stem, CaptureFollowUp followUp = {});
    // True from beginCapture until the capture's work has ended (also past its time-out).
    bool busy() const;
    // The result once the capture finished, or TimedOut once timeout has passed since it began
    // (its late files are then left on disk but not handed out); nothing before.
    std::optional<CaptureResult> takeCaptureResult();
    // Waits for takeCaptureResult to give something (tests and the command line).
    CaptureResult waitForCapture();

    static constexpr std::chrono::milliseconds kDefaultTimeout{10000};
    void setCaptureTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

protected:
    explicit Camera(std::string url) : m_url(std::move(url)) {}

    // Takes and writes the picture; runs on the capture's worker thread.
    virtual CaptureResult captureNow(const std::string& stem) = 0;

    // For the live threads of implementations.
    void publishLive(Image picture);
    void setLiveFault(CameraFault fault, const std::string& detail);
    void clearLiveFault();
    // Implementations end their threads in their destructors; this ends the capture's.
    void endCaptureWorker();

private:
    // Makes the take's preview and runs followUp meanwhile; a take that cannot be shrunk for
    // its thumbnail is left undecoded.
    static void finishTake(CaptureResult& result, const CaptureFollowUp& followUp);

    std::string m_url;
    mutable std::mutex m_liveMutex;
    LiveFrame m_newest;
    CameraFault m_liveFault = CameraFault::None;
    std::string m_liveFaultDetail;

    mutable std::mutex m_captureMutex;
    std::thread m_worker;
    bool m_working = false;          // the worker has not ended its capture yet
    bool m_handedOut = true;         // the current capture's result was given (or timed out)
    std::optional<CaptureResult> m_result;
    std::chrono::steady_clock::time_point m_deadline;
    std::chrono::milliseconds m_timeout = kDefaultTimeout;
};

// Writes a captured file at stem + "." + extension, whole or not at all.
CaptureResult WriteCapturedFile(const std::string& stem, const std::string& extension,
                                const std::uint8_t* bytes, std::size_t size);

// The same for the take's picture, decoded from the very bytes while they are written (the
// file is never read back): CaptureResult::decoded is filled when they decode.
CaptureResult StoreCapturedPicture(const std::string& stem, const std::string& extension,
                                   std::span<const std::uint8_t> bytes);

// The camera named by url, opened:
//   "lavfi:<filter graph>"   FFmpeg's test sources (through libavdevice, as a webcam);
//   "v4l2:/dev/videoN" or "/dev/videoN"   a webcam;
//   "gphoto2:" or "gphoto2:<model>@<port>"   a still camera (the first one found, or that one);
//   "folder:<path>"   the pictures of a folder in turn (for tests).
// On failure nothing, with the fault and the library's words in detail.
std::unique_ptr<Camera> OpenCamera(const std::string& url, CameraFault& fault,
                                   std::string& detail);

}  // namespace morvel
