#include "import/avi_frames.h"

#include <cstdio>
#include <vector>

#include "i18n/error_reporter.h"

namespace morvel {

namespace {

constexpr char kMarker[] = "$AVI$";

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The leading hexadecimal digits of text; anything else ends the number, so "" and "*" give 0.
// Digits beyond 32 bits wrap, as the stored number is a 32-bit value.
std::int32_t leadingHex(const std::string& text) {
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) break;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

std::vector<std::string> splitAtDollar(const std::string& text) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = text.find('$', start);
        if (end == std::string::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

// The error number of each way opening can fail: 0 cannot open, 1 no video stream, 2 no decoder.
int AviOpenErrorNumber(VideoReader::OpenResult result) {
    switch (result) {
        case VideoReader::OpenResult::Ok:
        case VideoReader::OpenResult::CannotOpen:
            return 0;
        case VideoReader::OpenResult::NoVideoStream:
            return 1;
        case VideoReader::OpenResult::NoDecoder:
            return 2;
    }
    return 0;
}

bool IsAviReference(const std::string& source) {
    return source.starts_with(kMarker);
}

// Fields between the "$" signs: "", "AVI", frame number, video path. A path with a "$" in it is
// cut there: the reference format has no way to quote it.
AviReference ParseAviReference(const std::string& reference) {
    const std::vector<std::string> fields = splitAtDollar(reference);
    AviReference parsed;
    if (fields.size() > 2) parsed.frame = leadingHex(fields[2]);
    if (fields.size() > 3) parsed.videoPath = fields[3];
    return parsed;
}

std::string MakeAviReference(std::int32_t frame, const std::string& videoPath) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(frame)));
    return std::string(kMarker) + hex + "$" + videoPath;
}

bool AccessAviFrames(Services& services, Image* picture, const std::string& reference, int flags,
                     AviStreamInfo* info) {
    const AviReference parsed = ParseAviReference(reference);
    VideoReader& reader = services.videoReader;

    if (flags & kAviOpen) {
        // Opening another video releases the one open before.
        const VideoReader::OpenResult opened = reader.open(parsed.videoPath);
        if (opened != VideoReader::OpenResult::Ok) {
            services.reporter().report(ErrorKind::UseAviExport, ErrorPlace::ReadVideo,
                                       AviOpenErrorNumber(opened));
            return false;
        }
        if (info) {
            info->firstFrame = reader.firstFrame();
            info->frameCount = reader.frameCount();
        }
    }

    bool fetched = false;
    if ((flags & kAviFetch) && picture) fetched = FetchAviFrame(reader, reference, *picture);

    if (flags & kAviClose) reader.close();

    return (flags & kAviFetch) ? fetched : true;
}

bool FetchAviFrame(VideoReader& reader, const std::string& reference, Image& picture) {
    if (!reader.isOpen()) return false;
    // Decoded into a picture of its own, so that a failure leaves the caller's untouched.
    Image frame;
    if (reader.readFrame(ParseAviReference(reference).frame, frame) != LoadResult::Ok) return false;
    picture = std::move(frame);
    return true;
}

}  // namespace morvel
