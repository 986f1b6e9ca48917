// Thumbnails of a drop of camera pictures: 50 JPEGs of 6000 x 4000 pixels at quality 90, made
// here. Per file, side by side: the drop's thumbnail loader (reduced JPEG decode, decoding ahead
// on a worker), the same cheap decode on one thread, a full decode scaled down (what a plain
// import costs), and vipsthumbnail making 60 x 45 thumbnails of the same files in one process.
// Then a full-HD video of 500 frames imported as frames: time per frame.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/picture_io.h"
#include "import/frame_import.h"
#include "import/thumbnail.h"
#include "import/thumbnail_loader.h"
#include "platform/files.h"
#include "platform/null_shell.h"
#include "project/project_test_state.h"

namespace morvel {
namespace {

constexpr int kFiles = 50;
constexpr int kVideoFrames = 500;

// A photograph-like picture: gradients, a few shapes and some noise; the seed varies it.
Image cameraPicture(int width, int height, unsigned seed) {
    Image image = *Image::create(width, height);
    std::uint32_t noise = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = image.row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int jitter = static_cast<int>(noise % 41) - 20;
            const bool disc = (x - 3000) * (x - 3000) + (y - 2000) * (y - 2000) <
                              static_cast<int>(900000 + seed * 20000);
            const int r = (x * 255 / width + jitter + (disc ? 60 : 0)) & 255;
            const int g = (y * 255 / height + seed * 5 - jitter) & 255;
            const int b = ((x + y) / 40 + jitter) & 255;
            p[0] = static_cast<std::uint8_t>(r);
            p[1] = static_cast<std::uint8_t>(g);
            p[2] = static_cast<std::uint8_t>(b);
        }
    }
    return image;
}

bool writeJpeg90(const Image& image, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(image.width());
    info.image_height = static_cast<JDIMENSION>(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(image.row(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

// The files, made once for all benchmarks and removed when the program ends.
class TestFiles {
public:
    TestFiles() {
        m_folder = TemporaryFolder() + "morvel_thumbnails_benchmark_" + std::to_string(getpid());
        MakeFolder(m_folder);
        m_folder += "/";
        // Ten different pictures; the 50 files are written from them, each a file of its own.
        std::vector<std::vector<std::uint8_t>> distinct;
        for (int i = 0; i < 10; ++i) {
            const std::string path = m_folder + "source.jpg";
            if (!writeJpeg90(cameraPicture(6000, 4000, i), path)) return;
            distinct.push_back(*ReadFileBytes(path));
            std::remove(path.c_str());
        }
        for (int i = 0; i < kFiles; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
            if (!WriteFileBytes(m_folder + name, distinct[static_cast<std::size_t>(i % 10)]))
                return;
            m_pictures.push_back(m_folder + name);
        }
        m_bytes = distinct[0].size();
        const std::string video = m_folder + "take.avi";
        const std::string command =
            "ffmpeg -v error -y -f lavfi -i 'testsrc2=size=1920x1080:rate=25,hue=H=0.4*n' "
            "-frames:v " +
            std::to_string(kVideoFrames) + " -c:v mpeg4 -g 12 -q:v 4 '" + video + "' 2>/dev/null";
        if (std::system(command.c_str()) == 0) m_video = video;
    }
    ~TestFiles() { std::system(("rm -rf '" + m_folder + "'").c_str()); }

    const std::string& folder() const { return m_folder; }
    const std::vector<std::string>& pictures() const { return m_pictures; }
    const std::string& video() const { return m_video; }
    std::size_t bytesPerFile() const { return m_bytes; }

private:
    std::string m_folder;
    std::vector<std::string> m_pictures;
    std::string m_video;
    std::size_t m_bytes = 0;
};

const TestFiles& files() {
    static TestFiles made;
    return made;
}

// Seconds of processor time of this process, its threads and its finished child processes: on a
// busy machine a steadier measure than the wall time.
double processorSeconds() {
    double seconds = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        seconds += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

// The processor time used since `start`, per file, as a counter.
void countProcessorTime(benchmark::State& state, double start, int perIteration) {
    state.counters["cpu/file"] =
        (processorSeconds() - start) / (static_cast<double>(state.iterations()) * perIteration);
}

// Per file: wall time per file, and the file size for the record.
void countFiles(benchmark::State& state, int perIteration) {
    state.counters["time/file"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * perIteration,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["MB/file"] = static_cast<double>(files().bytesPerFile()) / 1e6;
}

bool havePictures(benchmark::State& state) {
    if (files().pictures().size() == kFiles) return true;
    state.SkipWithError("the test pictures could not be made");
    return false;
}

void BM_ThumbnailsOfADrop(benchmark::State& state) {
    if (!havePictures(state)) return;
    const double cpuStart = processorSeconds();
    for (auto _ : state) {
        ThumbnailLoader loader(files().pictures());
        for (std::size_t i = 0; i < loader.size(); ++i) {
            DecodedThumbnail decoded = loader.take(i);
            if (!decoded.thumbnail) state.SkipWithError("a thumbnail failed");
            benchmark::DoNotOptimize(decoded.thumbnail);
        }
    }
    countProcessorTime(state, cpuStart, kFiles);
    countFiles(state, kFiles);
}

void BM_ThumbnailsOneThread(benchmark::State& state) {
    if (!havePictures(state)) return;
    const double cpuStart = processorSeconds();
    for (auto _ : state) {
        for (const std::string& path : files().pictures()) {
            DecodedThumbnail decoded = DecodeLayerThumbnail(path);
            if (!decoded.thumbnail) state.SkipWithError("a thumbnail failed");
            benchmark::DoNotOptimize(decoded.thumbnail);
        }
    }
    countProcessorTime(state, cpuStart, kFiles);
    countFiles(state, kFiles);
}

// Where the time of one thumbnail goes: reading the file, and the reduced decode from memory.
void BM_ReadFileOnly(benchmark::State& state) {
    if (!havePictures(state)) return;
    for (auto _ : state) {
        for (const std::string& path : files().pictures()) {
            auto bytes = ReadFileBytes(path);
            benchmark::DoNotOptimize(bytes);
        }
    }
    countFiles(state, kFiles);
}

void BM_ReducedDecodeFromMemory(benchmark::State& state) {
    if (!havePictures(state)) return;
    const auto bytes = ReadFileBytes(files().pictures()[0]);
    for (auto _ : state) {
        for (int i = 0; i < kFiles; ++i) {
            Image picture;
            if (DecodePictureReduced(*bytes, picture, kThumbnailWidth, kThumbnailHeight) !=
                LoadResult::Ok)
                state.SkipWithError("a picture failed");
            benchmark::DoNotOptimize(picture.data());
        }
    }
    countFiles(state, kFiles);
}

void BM_FullDecodeAndScale(benchmark::State& state) {
    if (!havePictures(state)) return;
    const double cpuStart = processorSeconds();
    for (auto _ : state) {
        for (const std::string& path : files().pictures()) {
            Image picture;
            if (LoadPictureFile(path, picture) != LoadResult::Ok)
                state.SkipWithError("a picture failed");
            Image thumbnail = MakeThumbnail(picture);
            benchmark::DoNotOptimize(thumbnail.data());
        }
    }
    countProcessorTime(state, cpuStart, kFiles);
    countFiles(state, kFiles);
}

// One vipsthumbnail process for all files, so that its start-up is shared by them.
void BM_Vipsthumbnail(benchmark::State& state) {
    if (!havePictures(state)) return;
    if (std::system("command -v vipsthumbnail >/dev/null 2>&1") != 0) {
        state.SkipWithError("vipsthumbnail is not installed (Debian: libvips-tools)");
        return;
    }
    const std::string out = files().folder() + "vips/";
    MakeFolder(out);
    std::string command = "vipsthumbnail --size '60x45!' -o '" + out + "%s.jpg'";
    for (const std::string& path : files().pictures()) command += " '" + path + "'";
    command += " >/dev/null 2>&1";
    const double cpuStart = processorSeconds();
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("vipsthumbnail failed");
    }
    countProcessorTime(state, cpuStart, kFiles);
    countFiles(state, kFiles);
}

void BM_VideoImport1080p(benchmark::State& state) {
    if (files().video().empty()) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    for (auto _ : state) {
        NullShell shell;
        ProjectTestState program(shell, TemporaryFolder(), TemporaryFolder());
        FrameThumbnails thumbnails;
        const int end =
            AddAviLayers(program.document, thumbnails, program.services, 0, 0, files().video());
        if (end != kVideoFrames) state.SkipWithError("the video was not imported whole");
    }
    state.counters["time/frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kVideoFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ThumbnailsOfADrop)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ThumbnailsOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Vipsthumbnail)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReadFileOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ReducedDecodeFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_FullDecodeAndScale)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_VideoImport1080p)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
