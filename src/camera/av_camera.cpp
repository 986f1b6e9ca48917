#include "camera/av_camera.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "camera/av_frames.h"
#include "camera/live_scaler.h"
#include "codecs/picture_io.h"

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavutil/log.h>
}

namespace morvel {

namespace {

struct DeviceName {
    const char* format;
    std::string input;
};

DeviceName deviceOf(const std::string& url) {
    if (url.rfind("lavfi:", 0) == 0) return {"lavfi", url.substr(6)};
    if (url.rfind("v4l2:", 0) == 0) return {"video4linux2", url.substr(5)};
    return {"video4linux2", url};
}

class AvCamera final : public Camera {
public:
    explicit AvCamera(const std::string& url) : Camera(url) {}
    ~AvCamera() override;

    CameraFault open(std::string& detail);
    void startLive(int fitWidth, int fitHeight) override;
    void stopLive() override { m_live = false; }

protected:
    CaptureResult captureNow(const std::string& stem) override;

private:
    void readLoop();
    void deliver(const AVFrame& frame);

    AvFormatPtr m_format;
    AvCodecPtr m_codec;
    int m_stream = -1;
    // lavfi makes frames as fast as they are read; a webcam's read waits for its next frame.
    bool m_paced = false;

    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_live{false};
    std::atomic<int> m_fitWidth{0};
    std::atomic<int> m_fitHeight{0};
    SwsContext* m_liveScaler = nullptr;  // the reader's

    // The newest frame at full size, for captures.
    std::mutex m_frameMutex;
    std::condition_variable m_frameArrived;
    AvFramePtr m_full;
    std::uint64_t m_fullNumber = 0;
    bool m_ended = false;
};

AvCamera::~AvCamera() {
    endCaptureWorker();
    m_stop = true;
    if (m_reader.joinable()) m_reader.join();
    sws_freeContext(m_liveScaler);
}

CameraFault AvCamera::open(std::string& detail) {
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_QUIET);
        avdevice_register_all();
    });
    const DeviceName device = deviceOf(url());
    const AVInputFormat* input = av_find_input_format(device.format);
    if (!input) {
        detail = url();
        return CameraFault::CannotOpen;
    }
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return CameraFault::CannotOpen;
    raw->interrupt_callback.callback = [](void* stop) -> int {
        return static_cast<std::atomic<bool>*>(stop)->load() ? 1 : 0;
    };
    raw->interrupt_callback.opaque = &m_stop;
    const int opened = avformat_open_input(&raw, device.input.c_str(), input, nullptr);
    if (opened < 0) {
        detail = url() + ": " + AvErrorText(opened);
        return CameraFault::CannotOpen;
    }
    m_format.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0) {
        detail = url();
        return CameraFault::NotACamera;
    }
    m_stream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m_stream < 0) {
        detail = url();
        return CameraFault::NotACamera;
    }
    const AVCodecParameters* parameters = raw->streams[m_stream]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder || !Image::acceptableSize(parameters->width, parameters->height)) {
        detail = url();
        return CameraFault::UnsupportedFormat;
    }
    m_codec.reset(avcodec_alloc_context3(decoder));
    if (!m_codec || avcodec_parameters_to_context(m_codec.get(), parameters) < 0 ||
        avcodec_open2(m_codec.get(), decoder, nullptr) < 0) {
        detail = url();
        return CameraFault::UnsupportedFormat;
    }
    m_paced = std::string(device.format) == "lavfi";
    m_full.reset(av_frame_alloc());
    m_reader = std::thread([this] { readLoop(); });
    return CameraFault::None;
}

void AvCamera::startLive(int fitWidth, int fitHeight) {
    m_fitWidth = fitWidth;
    m_fitHeight = fitHeight;
    m_live = true;
}

void AvCamera::readLoop() {
    AvPacketPtr packet(av_packet_alloc());
    AvFramePtr frame(av_frame_alloc());
    const AVRational timeBase = m_format->streams[m_stream]->time_base;
    const auto start = std::chrono::steady_clock::now();
    std::int64_t firstPts = AV_NOPTS_VALUE;
    std::string failure;
    while (!m_stop) {
        const int read = av_read_frame(m_format.get(), packet.get());
        if (read == AVERROR(EAGAIN)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        if (read < 0) {
            failure = url() + ": " + AvErrorText(read);
            break;
        }
        if (packet->stream_index != m_stream) {
            av_packet_unref(packet.get());
            continue;
        }
        const int sent = avcodec_send_packet(m_codec.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN)) continue;  // a damaged packet: the next may do
        while (avcodec_receive_frame(m_codec.get(), frame.get()) == 0) {
            if (m_paced && frame->pts != AV_NOPTS_VALUE) {
                if (firstPts == AV_NOPTS_VALUE) firstPts = frame->pts;
                const double seconds = static_cast<double>(frame->pts - firstPts) * av_q2d(timeBase);
                std::this_thread::sleep_until(
                    start + std::chrono::microseconds(static_cast<std::int64_t>(seconds * 1e6)));
            }
            deliver(*frame);
            av_frame_unref(frame.get());
        }
    }
    if (!m_stop) setLiveFault(CameraFault::Gone, failure);
    std::lock_guard lock(m_frameMutex);
    m_ended = true;
    m_frameArrived.notify_all();
}

void AvCamera::deliver(const AVFrame& frame) {
    {
        std::lock_guard lock(m_frameMutex);
        av_frame_unref(m_full.get());
        if (av_frame_ref(m_full.get(), &frame) == 0) ++m_fullNumber;
        m_frameArrived.notify_all();
    }
    if (!m_live) return;
    const FitSize size = FitInside(frame.width, frame.height, m_fitWidth, m_fitHeight);
    Image picture;
    if (ConvertAvFrame(frame, size.width, size.height, m_liveScaler, picture)) {
        publishLive(std::move(picture));
    } else if (liveFault() == CameraFault::None) {
        setLiveFault(CameraFault::UnsupportedFormat, url());
    }
}

CaptureResult AvCamera::captureNow(const std::string& stem) {
    CaptureResult result;
    AvFramePtr frame(av_frame_alloc());
    {
        // The first frame the device gives after the key was pressed.
        std::unique_lock lock(m_frameMutex);
        const std::uint64_t before = m_fullNumber;
        m_frameArrived.wait(lock, [&] { return m_ended || m_fullNumber > before; });
        if (m_fullNumber == before || av_frame_ref(frame.get(), m_full.get()) < 0) {
            result.fault = CameraFault::Gone;
            result.detail = url();
            return result;
        }
    }
    SwsContext* scaler = nullptr;
    Image picture;
    const bool converted = ConvertAvFrame(*frame, frame->width, frame->height, scaler, picture);
    sws_freeContext(scaler);
    std::vector<std::uint8_t> jpeg;
    if (!converted || !EncodePicture(picture, PictureFormat::Jpeg, jpeg)) {
        result.fault = CameraFault::UnsupportedFormat;
        result.detail = url();
        return result;
    }
    return StoreCapturedPicture(stem, "jpg", jpeg);
}

}  // namespace

std::unique_ptr<Camera> OpenAvCamera(const std::string& url, CameraFault& fault,
                                     std::string& detail) {
    auto camera = std::make_unique<AvCamera>(url);
    fault = camera->open(detail);
    if (fault != CameraFault::None) return nullptr;
    return camera;
}

}  // namespace morvel
