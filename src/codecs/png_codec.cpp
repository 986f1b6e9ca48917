#include "codecs/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

#include "codecs/png_fast_reader.h"

namespace morvel {

// libpng reports errors by longjmp. Every function below that calls setjmp works only on plain
// C data kept in a state struct that lives in its caller's frame: no object with a destructor
// is ever skipped by the jump, and nothing read after the jump is a local of the setjmp frame.

namespace {

// Largest ancillary chunk (text, ICC profile, ...) libpng may allocate while reading. Image
// data is streamed and is not affected.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{16} << 20;

struct PngErrorState {
    bool outOfMemory = false;
};

void onPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
    if (state && message &&
        (std::strstr(message, "memory") != nullptr || std::strstr(message, "Memory") != nullptr)) {
        state->outOfMemory = true;
    }
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}  // warnings are not shown to the user

// ---- reading -------------------------------------------------------------------------------

struct MemorySource {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
};

void readFromMemory(png_structp png, png_bytep target, png_size_t length) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (length > source->size - source->position) png_error(png, "read beyond the end of the data");
    std::memcpy(target, source->data + source->position, length);
    source->position += length;
}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngErrorState errors;
    MemorySource source;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int channels = 0;
    int bitDepth = 0;
    png_size_t rowBytes = 0;

    ~PngReader() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

// Reads the header and sets up the conversion of every PNG kind to 8-bit RGB.
bool readHeader(PngReader& reader) {
    png_structp png = reader.png;
    png_infop info = reader.info;
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &reader.source, readFromMemory);
    png_set_user_limits(png, Image::kMaxSide, Image::kMaxSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    // Every chunk's CRC is checked, which catches damaged image data; zlib's Adler-32 sum over
    // the unpacked rows checks the same data a second time at about a tenth of the decoding time.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(png, info);

    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    if (bitDepth == 16) png_set_strip_16(png);
    // Alpha, whether from an alpha channel or from a tRNS chunk, is dropped: without
    // png_set_tRNS_to_alpha a tRNS chunk of a grey or RGB picture is ignored, and the alpha
    // that palette expansion adds for tRNS is stripped here.
    png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    reader.width = png_get_image_width(png, info);
    reader.height = png_get_image_height(png, info);
    reader.channels = png_get_channels(png, info);
    reader.bitDepth = png_get_bit_depth(png, info);
    reader.rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readRows(PngReader& reader, png_bytepp rows) {
    png_structp png = reader.png;
    if (setjmp(png_jmpbuf(png))) return false;
    // png_read_image runs every interlace pass and checks the end of the image data; the
    // chunks after it (text, time) are of no use here, so png_read_end is not called and a
    // file cut off after its last image data still reads.
    png_read_image(png, rows);
    return true;
}

// The header fields that matter before libpng is started, read straight from the IHDR chunk so
// that an absurd size is told apart from damage.
struct PeekedHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitsPerPixel = 0;  // 0 when the colour type or bit depth is not valid
};

bool peekHeader(std::span<const std::uint8_t> bytes, PeekedHeader& header) {
    if (bytes.size() < 8 + 8 + 13) return false;
    const std::uint8_t* chunk = bytes.data() + 8;
    if (std::memcmp(chunk + 4, "IHDR", 4) != 0) return false;
    auto be32 = [](const std::uint8_t* p) {
        return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
               (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
    };
    header.width = be32(chunk + 8);
    header.height = be32(chunk + 12);
    const int bitDepth = chunk[16];
    const int colourType = chunk[17];
    const int channels = colourType == 0   ? 1
                         : colourType == 2 ? 3
                         : colourType == 3 ? 1
                         : colourType == 4 ? 2
                         : colourType == 6 ? 4
                                           : 0;
    if (bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16) {
        header.bitsPerPixel = channels * bitDepth;
    }
    return true;
}

// Deflate packs at most 258 bytes into two bits, so compressed data is never smaller than
// 1/1032 of what it unpacks to. A file too short to hold the announced picture is cut off; it
// is refused before the pixels are allocated (a few bytes could otherwise claim 800 MB).
bool tooShortForPicture(std::span<const std::uint8_t> bytes, const PeekedHeader& header) {
    const std::uint64_t pixelBytes = std::uint64_t{header.width} * header.height *
                                     static_cast<unsigned>(header.bitsPerPixel) / 8;
    return bytes.size() < pixelBytes / 1032;
}

}  // namespace

LoadResult DecodePng(std::span<const std::uint8_t> bytes, Image& out) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return LoadResult::NotThisFormat;

    PeekedHeader header;
    if (peekHeader(bytes, header)) {
        if (header.width == 0 || header.height == 0) return LoadResult::Damaged;
        if (!Image::acceptableSize(header.width, header.height)) return LoadResult::TooLarge;
        if (tooShortForPicture(bytes, header)) return LoadResult::Damaged;
    }
    if (DecodePngFast(bytes, out) == FastPngResult::Decoded) return LoadResult::Ok;
    return DecodePngWithLibpng(bytes, out);
}

LoadResult DecodePngWithLibpng(std::span<const std::uint8_t> bytes, Image& out) {
    PngReader reader;
    reader.source = {bytes.data(), bytes.size(), 0};
    reader.png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader.errors, onPngError, onPngWarning);
    if (!reader.png) return LoadResult::OutOfMemory;
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info) return LoadResult::OutOfMemory;

    if (!readHeader(reader)) {
        return reader.errors.outOfMemory ? LoadResult::OutOfMemory : LoadResult::Damaged;
    }
    if (!Image::acceptableSize(reader.width, reader.height)) return LoadResult::TooLarge;
    if (reader.channels != 3 || reader.bitDepth != 8 || reader.rowBytes != reader.width * 3) {
        return LoadResult::Unsupported;
    }

    std::optional<Image> image =
        Image::create(static_cast<int>(reader.width), static_cast<int>(reader.height));
    if (!image) return LoadResult::OutOfMemory;
    std::vector<png_bytep> rows;
    try {
        rows.resize(reader.height);
    } catch (const std::bad_alloc&) {
        return LoadResult::OutOfMemory;
    }
    for (int y = 0; y < image->height(); ++y) rows[static_cast<std::size_t>(y)] = image->row(y);

    if (!readRows(reader, rows.data())) {
        return reader.errors.outOfMemory ? LoadResult::OutOfMemory : LoadResult::Damaged;
    }
    out = std::move(*image);
    return LoadResult::Ok;
}

bool EncodePng(const Image& image, std::vector<std::uint8_t>& out) {
    return EncodePngWithText(image, {}, out);
}

bool EncodePngWithText(const Image& image, const std::vector<PngText>& texts,
                       std::vector<std::uint8_t>& out) {
    return WritePng(image, texts, out);
}

}  // namespace morvel
