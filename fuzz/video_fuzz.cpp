// The video reader on AVI bytes: open, then the first frames, a frame in the middle and the
// last one, as the import and the composition ask for them.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "codecs/video_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path =
        morvel::TemporaryFolder() + "morvel-video-fuzz-" + std::to_string(::getpid()) + ".avi";
    if (!morvel::WriteFileBytes(path, {data, size})) return 0;
    morvel::VideoReader reader;
    if (reader.open(path) == morvel::VideoReader::OpenResult::Ok) {
        morvel::Image frame;
        const int count = reader.frameCount();
        for (int n = 0; n < 3 && n < count; ++n) reader.readFrame(n, frame);
        if (count > 0) {
            reader.readFrame(count / 2, frame);
            reader.readFrame(count - 1, frame);
        }
        reader.readFrame(count < INT_MAX - 5 ? count + 5 : -1, frame);
    }
    reader.close();
    std::remove(path.c_str());
    return 0;
}
