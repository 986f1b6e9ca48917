#include "codecs/tiff_codec.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "codecs/orientation.h"

namespace morvel {

namespace {

constexpr std::uint16_t kCompressionOldJpeg = 6;
constexpr std::uint16_t kCompressionPixarDeflate = 32946;

// Largest single block libtiff may allocate for one picture (strip buffers, tables). A picture
// of the largest accepted size in one uncompressed 8-bit strip still fits.
constexpr tmsize_t kMaxSingleAllocation = tmsize_t{1} << 30;

// The TIFF being read: a span of memory with a read position.
struct MemoryFile {
    const std::uint8_t* data = nullptr;
    std::uint64_t size = 0;
    std::uint64_t position = 0;
    bool outOfMemory = false;  // set by the error handler when libtiff could not allocate
};

MemoryFile& fileOf(thandle_t handle) {
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t readFile(thandle_t handle, void* target, tmsize_t length) {
    MemoryFile& file = fileOf(handle);
    if (length <= 0 || file.position >= file.size) return 0;
    const std::uint64_t count =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(length), file.size - file.position);
    std::memcpy(target, file.data + file.position, count);
    file.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekFile(thandle_t handle, toff_t offset, int whence) {
    MemoryFile& file = fileOf(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) {
        base = file.position;
    } else if (whence == SEEK_END) {
        base = file.size;
    } else if (whence != SEEK_SET) {
        return static_cast<toff_t>(-1);
    }
    // A negative relative offset arrives wrapped around and wraps back here. A position past
    // the end is allowed, as in a file; reads there deliver nothing.
    file.position = base + offset;
    return file.position;
}

int closeNothing(thandle_t) {
    return 0;
}

toff_t fileSize(thandle_t handle) {
    return fileOf(handle).size;
}

// The whole file is already in memory: libtiff reads it in place instead of copying strips.
// libtiff never writes to a map of a file opened for reading.
int mapFile(thandle_t handle, void** base, toff_t* size) {
    MemoryFile& file = fileOf(handle);
    *base = const_cast<std::uint8_t*>(file.data);
    *size = file.size;
    return 1;
}

void unmapNothing(thandle_t, void*, toff_t) {}

// Neither errors nor warnings are printed; a failure is told by the results of the calls.
int onTiffError(TIFF*, void* userData, const char*, const char* format, va_list) {
    if (userData && format && std::strstr(format, "emory") != nullptr) {
        static_cast<MemoryFile*>(userData)->outOfMemory = true;
    }
    return 1;
}

int onTiffWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// The per-file handlers above catch what libtiff reports about an open file; a few places in
// libtiff still report through the process-wide handlers, which print to stderr by default.
void silenceProcessWideHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffDeleter {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// How many bytes of pixels one byte of strip data can at most turn into, for the common
// compressions: PackBits codes a run of 128 bytes in 2, an LZW code of at least 9 bits stands
// for at most 4096 bytes, and deflate packs at most 258 bytes into two bits. 0: no such bound.
std::uint64_t maximumExpansion(std::uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
            return 1;
        case COMPRESSION_PACKBITS:
            return 64;
        case COMPRESSION_LZW:
            return 4096;
        case COMPRESSION_ADOBE_DEFLATE:
            return 1032;
        default:
            return 0;
    }
}

// A file too short to hold the pixels it announces is cut off. It is refused before anything
// is allocated: a few bytes could otherwise claim a gigabyte of buffers.
bool tooShortForPicture(TIFF* tiff, std::uint16_t compression, std::uint32_t width,
                        std::uint32_t height, std::size_t byteCount) {
    const std::uint64_t expansion = maximumExpansion(compression);
    if (expansion == 0) return false;
    std::uint16_t bitsPerSample = 1;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    // Subsampled colour may store little more than the brightness.
    if (photometric == PHOTOMETRIC_YCBCR) samplesPerPixel = 1;
    const std::uint64_t pixelBytes =
        std::uint64_t{width} * height * bitsPerSample * samplesPerPixel / 8;
    return std::uint64_t{byteCount} * expansion < pixelBytes;
}

// The data of every strip (or tile) must lie inside the file. libtiff fails on the first one
// that does not, but only once the picture's buffers are allocated: a header of a few bytes
// naming strips that are not there would otherwise cost a gigabyte, whatever the compression.
bool stripsOutsideFile(TIFF* tiff, std::uint64_t fileSize) {
    const std::uint32_t count =
        TIFFIsTiled(tiff) ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    if (count == 0) return true;
    for (std::uint32_t i = 0; i < count; ++i) {
        int failed = 0;
        const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tiff, i, &failed);
        const std::uint64_t bytes = TIFFGetStrileByteCountWithErr(tiff, i, &failed);
        if (failed || offset > fileSize || bytes > fileSize - offset) return true;
    }
    return false;
}

bool hasTiffSignature(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4) return false;
    const std::uint8_t* b = bytes.data();
    // 42 marks classic TIFF, 43 BigTIFF, in the byte order the first two bytes name.
    if (b[0] == 'I' && b[1] == 'I') return (b[2] == 42 || b[2] == 43) && b[3] == 0;
    if (b[0] == 'M' && b[1] == 'M') return b[2] == 0 && (b[3] == 42 || b[3] == 43);
    return false;
}

}  // namespace

LoadResult DecodeTiff(std::span<const std::uint8_t> bytes, Image& out) {
    if (!hasTiffSignature(bytes)) return LoadResult::NotThisFormat;
    silenceProcessWideHandlers();

    MemoryFile file{bytes.data(), bytes.size(), 0, false};
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) return LoadResult::OutOfMemory;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), onTiffError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), onTiffWarning, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAllocation);

    std::unique_ptr<TIFF, TiffDeleter> tiff(
        TIFFClientOpenExt("picture", "r", &file, readFile, writeNothing, seekFile, closeNothing,
                          fileSize, mapFile, unmapNothing, options.get()));
    auto failure = [&file] {
        return file.outOfMemory ? LoadResult::OutOfMemory : LoadResult::Damaged;
    };
    if (!tiff) return failure();

    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tiff.get(), TIFFTAG_COMPRESSION, &compression);
    if (compression == kCompressionOldJpeg || compression == kCompressionPixarDeflate) {
        return LoadResult::Unsupported;
    }

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0) {
        return LoadResult::Damaged;
    }
    if (!Image::acceptableSize(width, height)) return LoadResult::TooLarge;
    if (tooShortForPicture(tiff.get(), compression, width, height, bytes.size()) ||
        stripsOutsideFile(tiff.get(), bytes.size())) {
        return LoadResult::Damaged;
    }

    char message[1024];
    if (!TIFFRGBAImageOK(tiff.get(), message)) return LoadResult::Unsupported;

    std::optional<Image> image = Image::create(static_cast<int>(width), static_cast<int>(height));
    if (!image) return LoadResult::OutOfMemory;
    // acceptableSize keeps width * height within 2^28, so the count cannot overflow.
    std::vector<std::uint32_t> raster;
    try {
        raster.resize(std::size_t{width} * height);
    } catch (const std::bad_alloc&) {
        return LoadResult::OutOfMemory;
    }
    if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT,
                                   1)) {
        return failure();
    }

    const std::uint32_t* source = raster.data();
    for (int y = 0; y < image->height(); ++y) {
        std::uint8_t* target = image->row(y);
        for (std::uint32_t x = 0; x < width; ++x, ++source, target += 3) {
            target[0] = static_cast<std::uint8_t>(TIFFGetR(*source));
            target[1] = static_cast<std::uint8_t>(TIFFGetG(*source));
            target[2] = static_cast<std::uint8_t>(TIFFGetB(*source));
        }
    }
    // libtiff's RGBA reading undoes the mirrorings of orientations 1 to 4 but does not swap
    // rows and columns: orientations 5 to 8 come mirrored as 1 to 4 would be. That mirroring is
    // undone before the picture is turned upright.
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    if (SwapsSides(orientation)) {
        TurnUpright(*image, orientation - 4);
        TurnUpright(*image, orientation);
        // Read before orientation was applied, it stood as mirrored above: that is its stored form.
        image->setStoredOrientation(orientation, false);
    }
    out = std::move(*image);
    return LoadResult::Ok;
}

}  // namespace morvel
