// Decode and encode time of every picture format for one full-HD frame.
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "codecs/bmp_codec.h"
#include "platform/files.h"
#include "codecs/jpeg_codec.h"
#include "codecs/png_codec.h"
#include "codecs/tga_codec.h"
#include "codecs/tiff_codec.h"

namespace morvel {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

using Bytes = std::vector<std::uint8_t>;

// Gradients, hard-edged blocks, fine stripes and noise, so that the compressors work about as
// hard as on a photograph, not on a flat colour.
const Image& frame() {
    static const Image picture = [] {
        Image image = *Image::create(kWidth, kHeight);
        std::uint32_t state = 2463534242u;
        auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* p = image.row(y);
            for (int x = 0; x < kWidth; ++x, p += 3) {
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                const int noise = static_cast<int>(state % 13) - 6;
                const int block = ((x / 97 + y / 61) % 3) * 30 - 30;
                const int stripe = ((x + 2 * y) % 11 < 4) ? 18 : 0;
                p[0] = clamp(x * 200 / kWidth + block + stripe + noise);
                p[1] = clamp(y * 200 / kHeight - block + noise);
                p[2] = clamp(128 + (x - y) * 100 / kWidth + stripe + noise / 2);
            }
        }
        return image;
    }();
    return picture;
}

void reportPixels(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * std::int64_t{kWidth} * kHeight);
}

// ---- encoders ---------------------------------------------------------------------------------

void BM_EncodeBmp(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(EncodeBmp(frame()));
    reportPixels(state);
}

void BM_EncodePng(benchmark::State& state) {
    Bytes out;
    for (auto _ : state) {
        EncodePng(frame(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = static_cast<double>(out.size());
    state.counters["bytes"] = static_cast<double>(out.size());
    reportPixels(state);
}

void BM_EncodeJpeg(benchmark::State& state) {
    Bytes out;
    for (auto _ : state) {
        EncodeJpeg(frame(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = static_cast<double>(out.size());
    reportPixels(state);
}

// ---- decoders ---------------------------------------------------------------------------------

template <typename Decode>
void runDecoder(benchmark::State& state, const Bytes& file, Decode decode) {
    Image image;
    if (decode(file, image) != LoadResult::Ok) {
        state.SkipWithError("the file does not decode");
        return;
    }
    for (auto _ : state) {
        decode(file, image);
        benchmark::DoNotOptimize(image.data());
    }
    state.counters["bytes"] = static_cast<double>(file.size());
    reportPixels(state);
}

void BM_DecodeBmp(benchmark::State& state) {
    runDecoder(state, EncodeBmp(frame()), DecodeBmp);
}

void BM_DecodePng(benchmark::State& state) {
    Bytes file;
    EncodePng(frame(), file);
    runDecoder(state, file, DecodePng);
}

void BM_DecodeJpeg(benchmark::State& state) {
    Bytes file;
    EncodeJpeg(frame(), file);
    const int scale = static_cast<int>(state.range(0));
    runDecoder(state, file,
               [scale](const Bytes& b, Image& out) { return DecodeJpeg(b, out, scale); });
}

// Uncompressed true-colour Targa, top row first, pixels stored blue, green, red.
Bytes targaFile() {
    Bytes file(18, 0);
    file[2] = 2;
    file[12] = kWidth & 0xFF;
    file[13] = kWidth >> 8;
    file[14] = kHeight & 0xFF;
    file[15] = kHeight >> 8;
    file[16] = 24;
    file[17] = 0x20;
    file.reserve(18 + std::size_t{kWidth} * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        const std::uint8_t* p = frame().row(y);
        for (int x = 0; x < kWidth; ++x, p += 3) file.insert(file.end(), {p[2], p[1], p[0]});
    }
    return file;
}

void BM_DecodeTga(benchmark::State& state) {
    runDecoder(state, targaFile(), DecodeTga);
}

// An RGB TIFF written by libtiff, 16 rows per strip, read back as bytes.
Bytes tiffFile(std::uint16_t compression) {
    const std::string path =
        TemporaryFolder() + "morvel-benchmark-" + std::to_string(::getpid()) + ".tif";
    Bytes bytes;
    if (TIFF* tiff = TIFFOpen(path.c_str(), "w")) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(kWidth));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(kHeight));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
        for (int y = 0; y < kHeight; ++y) {
            TIFFWriteScanline(tiff, const_cast<std::uint8_t*>(frame().row(y)), y, 0);
        }
        TIFFClose(tiff);
        if (auto read = ReadFileBytes(path)) bytes = std::move(*read);
    }
    std::remove(path.c_str());
    return bytes;
}

void BM_DecodeTiff(benchmark::State& state) {
    runDecoder(state, tiffFile(static_cast<std::uint16_t>(state.range(0))), DecodeTiff);
}

BENCHMARK(BM_EncodeBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->ArgName("scale")->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTga)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTiff)
    ->ArgName("compression")
    ->Arg(COMPRESSION_NONE)
    ->Arg(COMPRESSION_LZW)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel

BENCHMARK_MAIN();
