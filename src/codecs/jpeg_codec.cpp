#include "codecs/jpeg_codec.h"

#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <new>
#include <utility>

#include "codecs/orientation.h"

namespace morvel {

// libjpeg reports errors by calling error_exit, which must not return; ours longjmps. Every
// function below that calls setjmp works only on data kept in a state struct that lives in its
// caller's frame: no object with a destructor is skipped by the jump, and nothing read after
// the jump is a local of the setjmp frame.

namespace {

constexpr int kQuality = 70;

struct JpegErrorManager {
    jpeg_error_mgr pub;  // first, so that the library's pointer is also ours
    std::jmp_buf jump;
    int failureCode = 0;  // the message code that stopped the work
};

[[noreturn]] void stopWith(j_common_ptr info, int code) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    manager->failureCode = code;
    std::longjmp(manager->jump, 1);
}

[[noreturn]] void onJpegError(j_common_ptr info) {
    stopWith(info, info->err->msg_code);
}

// ---- reading from memory -------------------------------------------------------------------

// Like the library's memory source, but it remembers when the data ran out. libjpeg then reads
// an end marker made up by the source and decodes the rest of the picture as flat grey with
// only a warning; the reader below turns that into Damaged (see pictureComplete).
struct MemorySource {
    jpeg_source_mgr pub;  // first, so that the library's pointer is also ours
    bool ranOut = false;
};

const JOCTET kEndMarker[2] = {0xFF, JPEG_EOI};

void startSource(j_decompress_ptr) {}

boolean deliverEndMarker(j_decompress_ptr info) {
    auto* source = reinterpret_cast<MemorySource*>(info->src);
    source->ranOut = true;
    source->pub.next_input_byte = kEndMarker;
    source->pub.bytes_in_buffer = sizeof kEndMarker;
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    jpeg_source_mgr& source = *info->src;
    if (static_cast<unsigned long>(count) >= source.bytes_in_buffer) {
        deliverEndMarker(info);  // skipping past the end: nothing left but the end marker
        return;
    }
    source.next_input_byte += count;
    source.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void endSource(j_decompress_ptr) {}

// Level -1 is a warning about the data, higher levels are trace messages; nothing is printed.
// Missing entropy data after the end of the input means the picture was cut off: libjpeg
// would fill the rest with grey, and a half-grey picture accepted without a word is worse
// than a clear failure. The same warnings in the middle of the data (a corrupt segment that
// the decoder resynchronises after) are tolerated, as other programs do.
void onJpegMessage(j_common_ptr info, int level) {
    if (level != -1 || !info->is_decompressor) return;
    const int code = info->err->msg_code;
    if (code != JWRN_HIT_MARKER && code != JWRN_MUST_RESYNC && code != JWRN_JPEG_EOF) return;
    const auto* source =
        reinterpret_cast<const MemorySource*>(reinterpret_cast<j_decompress_ptr>(info)->src);
    if (source && source->ranOut) stopWith(info, JWRN_JPEG_EOF);
}

void printNothing(j_common_ptr) {}

void installErrorManager(JpegErrorManager& manager) {
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onJpegError;
    manager.pub.emit_message = onJpegMessage;
    manager.pub.output_message = printNothing;
}

// ---- reading -------------------------------------------------------------------------------

struct JpegReader {
    jpeg_decompress_struct info{};
    JpegErrorManager errors;
    MemorySource source;
    bool created = false;
    bool cmyk = false;
    bool singleScan = false;

    ~JpegReader() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

// The largest reduction 1/d (d = 8, 4, 2) whose output is still at least minWidth x minHeight;
// the library rounds the reduced sides up.
int reductionFor(const jpeg_decompress_struct& info, int minWidth, int minHeight) {
    for (int d : {8, 4, 2}) {
        const auto width = (std::uint64_t{info.image_width} + d - 1) / d;
        const auto height = (std::uint64_t{info.image_height} + d - 1) / d;
        if (width >= static_cast<std::uint64_t>(minWidth) &&
            height >= static_cast<std::uint64_t>(minHeight))
            return d;
    }
    return 1;
}

// scaleDenominator 0 means: the reduction for at least minWidth x minHeight.
bool readHeader(JpegReader& reader, std::span<const std::uint8_t> bytes, int scaleDenominator,
                int minWidth = 0, int minHeight = 0) {
    jpeg_decompress_struct& info = reader.info;
    info.err = &reader.errors.pub;
    if (setjmp(reader.errors.jump)) return false;
    jpeg_create_decompress(&info);
    reader.created = true;
    reader.source.pub.init_source = startSource;
    reader.source.pub.fill_input_buffer = deliverEndMarker;
    reader.source.pub.skip_input_data = skipInput;
    reader.source.pub.resync_to_restart = jpeg_resync_to_restart;
    reader.source.pub.term_source = endSource;
    reader.source.pub.next_input_byte = bytes.data();
    reader.source.pub.bytes_in_buffer = bytes.size();
    info.src = &reader.source.pub;
    jpeg_read_header(&info, TRUE);
    if (reader.source.ranOut) stopWith(reinterpret_cast<j_common_ptr>(&info), JWRN_JPEG_EOF);
    // The header read stops at the first scan: a baseline file whose first scan holds every
    // component has no other.
    reader.singleScan = !info.progressive_mode && info.comps_in_scan == info.num_components;

    switch (info.jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            info.out_color_space = JCS_RGB;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            info.out_color_space = JCS_CMYK;
            reader.cmyk = true;
            break;
        default:
            info.out_color_space = JCS_UNKNOWN;  // refused by the caller
            break;
    }
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned int>(
        scaleDenominator != 0 ? scaleDenominator : reductionFor(info, minWidth, minHeight));
    if (scaleDenominator == 0) {
        // A thumbnail: the plain upsampling and the fast integer transform are as good once
        // the picture is scaled down further.
        info.do_fancy_upsampling = FALSE;
        info.dct_method = JDCT_IFAST;
    }
    jpeg_calc_output_dimensions(&info);
    return true;
}

// Ink amounts to light: with all four at 0 the paper is white. Photoshop and most programs
// that write an Adobe marker store CMYK inverted (255 means no ink).
void cmykToRgb(const JSAMPLE* cmyk, std::uint8_t* rgb, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[0] = static_cast<std::uint8_t>((c * k + 127) / 255);
        rgb[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        rgb[2] = static_cast<std::uint8_t>((y * k + 127) / 255);
    }
}

// Whether the input that ended before its end marker still held the whole picture. A single
// scan that needed no missing data did (files that lack only the end marker are read). A
// progressive file did when every coefficient was refined to the last bit; any other file of
// several scans may have lost whole scans, which nothing tells, so it counts as cut off.
bool pictureComplete(const JpegReader& reader) {
    if (!reader.source.ranOut || reader.singleScan) return true;
    const jpeg_decompress_struct& info = reader.info;
    if (!info.progressive_mode || !info.coef_bits) return false;
    for (int c = 0; c < info.num_components; ++c) {
        for (int k = 0; k < DCTSIZE2; ++k) {
            if (info.coef_bits[c][k] != 0) return false;
        }
    }
    return true;
}

bool readRows(JpegReader& reader, Image& image, JSAMPLE* cmykRow) {
    jpeg_decompress_struct& info = reader.info;
    if (setjmp(reader.errors.jump)) return false;
    jpeg_start_decompress(&info);
    const int expectedComponents = reader.cmyk ? 4 : 3;
    if (info.output_components != expectedComponents ||
        info.output_width != static_cast<JDIMENSION>(image.width()) ||
        info.output_height != static_cast<JDIMENSION>(image.height())) {
        return false;
    }
    const bool inverted = reader.cmyk && info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW row = reader.cmyk ? cmykRow : image.row(y);
        if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
        if (reader.cmyk) cmykToRgb(cmykRow, image.row(y), info.output_width, inverted);
    }
    if (!pictureComplete(reader)) {
        reader.errors.failureCode = JWRN_JPEG_EOF;
        return false;
    }
    // The rest of the file (normally just the end marker) adds nothing to the picture, so
    // jpeg_finish_decompress is not called; destroying the decoder releases everything.
    return true;
}

// A file too short to hold the picture it announces is cut off; it is refused before the pixels
// are allocated, since a few bytes could otherwise claim hundreds of megabytes (and a
// progressive file as much again for its coefficients). With Huffman coding every block of
// every component costs at least two bits in a sequential file (a DC code and an end-of-block
// code, each one bit or more), and at least one bit in a progressive one: its first DC scan
// codes each block's DC value, and DC scans know no runs. Arithmetic coding can code large
// flat areas in almost nothing, so those files are not judged this way.
bool tooShortForPicture(const jpeg_decompress_struct& info, std::size_t byteCount) {
    if (info.arith_code) return false;
    std::uint64_t blocks = 0;
    for (int c = 0; c < info.num_components; ++c) {
        blocks +=
            std::uint64_t{info.comp_info[c].width_in_blocks} * info.comp_info[c].height_in_blocks;
    }
    const std::uint64_t leastBitsPerBlock = info.progressive_mode ? 1 : 2;
    return blocks * leastBitsPerBlock > std::uint64_t{byteCount} * 8;
}

LoadResult failureResult(const JpegErrorManager& errors) {
    switch (errors.failureCode) {
        case JERR_OUT_OF_MEMORY:
            return LoadResult::OutOfMemory;
        // A side above the library's own limit (65500): a size, not damage.
        case JERR_IMAGE_TOO_BIG:
            return LoadResult::TooLarge;
        // Valid JPEG variants this library does not decode (lossless, 12-bit and the like).
        case JERR_SOF_UNSUPPORTED:
        case JERR_BAD_PRECISION:
        case JERR_ARITH_NOTIMPL:
        case JERR_NOT_COMPILED:
            return LoadResult::Unsupported;
        default:
            return LoadResult::Damaged;
    }
}

// ---- writing -------------------------------------------------------------------------------

// Compressed bytes go straight into a vector that grows as needed.
struct VectorDestination {
    jpeg_destination_mgr pub;  // first, so that the library's pointer is also ours
    std::vector<std::uint8_t>* out = nullptr;
};

bool resizeBuffer(std::vector<std::uint8_t>& buffer, std::size_t size) noexcept {
    try {
        buffer.resize(size);
        return true;
    } catch (...) {
        return false;
    }
}

void startDestination(j_compress_ptr info) {
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    const std::size_t guess = std::max<std::size_t>(
        std::size_t{64} << 10, std::size_t{info->image_width} * info->image_height / 4);
    if (!resizeBuffer(*dest->out, guess)) ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    dest->pub.next_output_byte = dest->out->data();
    dest->pub.free_in_buffer = dest->out->size();
}

boolean growDestination(j_compress_ptr info) {
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    const std::size_t used = dest->out->size();  // called only when the buffer is full
    if (!resizeBuffer(*dest->out, used * 2)) ERREXIT1(info, JERR_OUT_OF_MEMORY, 2);
    dest->pub.next_output_byte = dest->out->data() + used;
    dest->pub.free_in_buffer = dest->out->size() - used;
    return TRUE;
}

void finishDestination(j_compress_ptr info) {
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    dest->out->resize(dest->out->size() - dest->pub.free_in_buffer);
}

struct JpegWriter {
    jpeg_compress_struct info{};
    JpegErrorManager errors;
    VectorDestination destination;
    bool created = false;

    ~JpegWriter() {
        if (created) jpeg_destroy_compress(&info);
    }
};

bool writeImage(JpegWriter& writer, const Image& image) {
    jpeg_compress_struct& info = writer.info;
    info.err = &writer.errors.pub;
    if (setjmp(writer.errors.jump)) return false;
    jpeg_create_compress(&info);
    writer.created = true;
    writer.destination.pub.init_destination = startDestination;
    writer.destination.pub.empty_output_buffer = growDestination;
    writer.destination.pub.term_destination = finishDestination;
    info.dest = &writer.destination.pub;

    info.image_width = static_cast<JDIMENSION>(image.width());
    info.image_height = static_cast<JDIMENSION>(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        // The library only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPLE*>(image.row(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

namespace {

// scaleDenominator 0 asks for the reduction that keeps at least minWidth x minHeight.
LoadResult decode(std::span<const std::uint8_t> bytes, Image& out, int scaleDenominator,
                  int minWidth, int minHeight) {
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) return LoadResult::NotThisFormat;

    // A picture the camera stored on its side is turned upright after decoding; a reduced one
    // must then be large enough with its sides swapped.
    const int orientation = JpegExifOrientation(bytes);
    if (SwapsSides(orientation)) std::swap(minWidth, minHeight);

    JpegReader reader;
    installErrorManager(reader.errors);
    if (!readHeader(reader, bytes, scaleDenominator, minWidth, minHeight))
        return failureResult(reader.errors);
    if (reader.info.out_color_space == JCS_UNKNOWN) return LoadResult::Unsupported;
    if (!Image::acceptableSize(reader.info.image_width, reader.info.image_height)) {
        return LoadResult::TooLarge;
    }
    if (tooShortForPicture(reader.info, bytes.size())) return LoadResult::Damaged;

    std::optional<Image> image = Image::create(static_cast<int>(reader.info.output_width),
                                               static_cast<int>(reader.info.output_height));
    if (!image) return LoadResult::OutOfMemory;
    std::vector<JSAMPLE> cmykRow;
    if (reader.cmyk) {
        try {
            cmykRow.resize(std::size_t{reader.info.output_width} * 4);
        } catch (const std::bad_alloc&) {
            return LoadResult::OutOfMemory;
        }
    }
    if (!readRows(reader, *image, cmykRow.data())) return failureResult(reader.errors);
    TurnUpright(*image, orientation);
    image->setStoredOrientation(orientation, false);
    out = std::move(*image);
    return LoadResult::Ok;
}

}  // namespace

LoadResult DecodeJpeg(std::span<const std::uint8_t> bytes, Image& out, int scaleDenominator) {
    if (scaleDenominator != 2 && scaleDenominator != 4 && scaleDenominator != 8) {
        scaleDenominator = 1;
    }
    return decode(bytes, out, scaleDenominator, 0, 0);
}

LoadResult DecodeJpegReduced(std::span<const std::uint8_t> bytes, Image& out, int minWidth,
                             int minHeight) {
    return decode(bytes, out, 0, minWidth, minHeight);
}

bool EncodeJpeg(const Image& image, std::vector<std::uint8_t>& out) {
    if (image.empty()) return false;
    std::vector<std::uint8_t> encoded;
    JpegWriter writer;
    installErrorManager(writer.errors);
    writer.destination.out = &encoded;
    if (!writeImage(writer, image)) return false;
    // The buffer was sized by a guess from the picture: kept as it is, a picture cached by the
    // thousand would hold many times its bytes.
    encoded.shrink_to_fit();
    out = std::move(encoded);
    return true;
}

}  // namespace morvel
