#include "codecs/png_unfilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvel {

namespace {

std::uint8_t paeth(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

void unfilterScalar(int filter, std::uint8_t* row, const std::uint8_t* prev, std::size_t n,
                    std::size_t bpp) {
    switch (filter) {
        case 1:
            for (std::size_t i = bpp; i < n; ++i) row[i] = std::uint8_t(row[i] + row[i - bpp]);
            break;
        case 3:
            for (std::size_t i = 0; i < n; ++i) {
                const int left = i >= bpp ? row[i - bpp] : 0;
                row[i] = std::uint8_t(row[i] + ((left + prev[i]) >> 1));
            }
            break;
        case 4:
            for (std::size_t i = 0; i < n; ++i) {
                const int left = i >= bpp ? row[i - bpp] : 0;
                const int upLeft = i >= bpp ? prev[i - bpp] : 0;
                row[i] = std::uint8_t(row[i] + paeth(left, prev[i], upLeft));
            }
            break;
    }
}

#if defined(__SSE2__)
// Pixels of three or four bytes: the left neighbour is known only once the pixel before is
// done, so the work runs pixel by pixel with all channels at once in 16-bit lanes.
// Four bytes are loaded even for three-byte pixels (one load instead of a copy through memory
// that stalls every pixel); the fourth lane is never stored.
__m128i loadPixel(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), _mm_setzero_si128());
}

template <int Bpp>
void storePixel(std::uint8_t* p, __m128i v) {
    const std::uint32_t bytes =
        static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
    std::memcpy(p, &bytes, Bpp);
}

// |u - v| for 16-bit lanes in two steps.
__m128i absoluteDifference(__m128i u, __m128i v) {
    return _mm_sub_epi16(_mm_max_epi16(u, v), _mm_min_epi16(u, v));
}

// Every lane holds a byte with a zero high half, so a byte-wise add makes PNG's wrapping sum
// and keeps the high halves zero. The steps after the left neighbour is known are kept few:
// they are what each pixel waits for.

// x plus the Paeth predictor: a (left) when pa <= pb and pa <= pc, else b (up) when pb <= pc,
// else c (up-left); with pa = |b - c|, pb = |a - c| and pc = |a + b - 2c| = |a - (2c - b)|.
__m128i paethSum(__m128i x, __m128i a, __m128i b, __m128i c) {
    const __m128i pa = absoluteDifference(b, c);
    const __m128i twoCLessB = _mm_sub_epi16(_mm_add_epi16(c, c), b);
    const __m128i withB = _mm_add_epi8(x, b);
    const __m128i withC = _mm_add_epi8(x, c);
    const __m128i withA = _mm_add_epi8(x, a);
    const __m128i pb = absoluteDifference(a, c);
    const __m128i pc = absoluteDifference(a, twoCLessB);
    const __m128i takeC = _mm_cmpgt_epi16(pb, pc);
    const __m128i notA = _mm_cmpgt_epi16(pa, _mm_min_epi16(pb, pc));
    const __m128i withBOrC =
        _mm_or_si128(_mm_andnot_si128(takeC, withB), _mm_and_si128(takeC, withC));
    return _mm_or_si128(_mm_andnot_si128(notA, withA), _mm_and_si128(notA, withBOrC));
}

template <int Bpp>
void unfilterPixels(int filter, std::uint8_t* row, const std::uint8_t* prev, std::size_t n) {
    __m128i a = _mm_setzero_si128();  // left
    __m128i c = _mm_setzero_si128();  // up-left
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        const __m128i x = loadPixel(row + i);
        if (filter == 1) {
            a = _mm_add_epi8(x, a);
        } else if (filter == 3) {
            const __m128i b = loadPixel(prev + i);
            a = _mm_add_epi8(x, _mm_srli_epi16(_mm_add_epi16(a, b), 1));
        } else {
            const __m128i b = loadPixel(prev + i);
            a = paethSum(x, a, b, c);
            c = b;
        }
        storePixel<Bpp>(row + i, a);
    }
}

// Two Paeth rows at once: the lower half of each vector works on the second row two pixels
// behind the first, whose results it needs as its up and up-left neighbours. The two rows'
// steps do not wait for each other, so each step makes two pixels in the time of one.
template <int Bpp>
void unfilterPaethPair(std::uint8_t* row, std::uint8_t* next, const std::uint8_t* prev,
                       std::size_t pixels) {
    const __m128i zero = _mm_setzero_si128();
    __m128i out = zero;     // the last step's results: the left neighbours
    __m128i before = zero;  // the results of the step before; the second row's up neighbours
    __m128i c = zero;
    auto step = [&](__m128i x, __m128i up) {
        const __m128i b = _mm_unpacklo_epi64(up, before);
        before = out;
        out = paethSum(x, out, b, c);
        c = b;
    };
    auto storeSecond = [&](std::size_t i) {
        const __m128i packed = _mm_packus_epi16(out, out);
        const auto bytes = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(packed, 4)));
        std::memcpy(next + i * Bpp, &bytes, Bpp);
    };
    // The first two pixels of the first row; the second row's lanes stay zero, as all their
    // inputs are.
    for (std::size_t i = 0; i < 2; ++i) {
        step(loadPixel(row + i * Bpp), loadPixel(prev + i * Bpp));
        storePixel<Bpp>(row + i * Bpp, out);
    }
    for (std::size_t i = 2; i < pixels; ++i) {
        step(_mm_unpacklo_epi64(loadPixel(row + i * Bpp), loadPixel(next + (i - 2) * Bpp)),
             loadPixel(prev + i * Bpp));
        storePixel<Bpp>(row + i * Bpp, out);
        storeSecond(i - 2);
    }
    // The last two pixels of the second row.
    for (std::size_t i = pixels; i < pixels + 2; ++i) {
        step(_mm_unpacklo_epi64(zero, loadPixel(next + (i - 2) * Bpp)), zero);
        storeSecond(i - 2);
    }
}
#endif

}  // namespace

bool UnfilterPngRow(int filter, std::uint8_t* row, const std::uint8_t* previous,
                    std::size_t rowBytes, int bytesPerPixel) {
    switch (filter) {
        case 0:
            return true;
        case 2:
            for (std::size_t i = 0; i < rowBytes; ++i) row[i] = std::uint8_t(row[i] + previous[i]);
            return true;
        case 1:
        case 3:
        case 4:
#if defined(__SSE2__)
            if (bytesPerPixel == 3 && rowBytes % 3 == 0) {
                unfilterPixels<3>(filter, row, previous, rowBytes);
                return true;
            }
            if (bytesPerPixel == 4 && rowBytes % 4 == 0) {
                unfilterPixels<4>(filter, row, previous, rowBytes);
                return true;
            }
#endif
            unfilterScalar(filter, row, previous, rowBytes,
                           static_cast<std::size_t>(bytesPerPixel));
            return true;
        default:
            return false;
    }
}

bool UnfilterPngRowPair(int filter, std::uint8_t* row, int nextFilter, std::uint8_t* next,
                        const std::uint8_t* previous, std::size_t rowBytes, int bytesPerPixel) {
#if defined(__SSE2__)
    if (filter != 4 || nextFilter != 4 || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        rowBytes % bytesPerPixel != 0 || rowBytes < 2 * std::size_t(bytesPerPixel)) {
        return false;
    }
    const std::size_t pixels = rowBytes / bytesPerPixel;
    if (bytesPerPixel == 3) {
        unfilterPaethPair<3>(row, next, previous, pixels);
    } else {
        unfilterPaethPair<4>(row, next, previous, pixels);
    }
    return true;
#else
    (void)filter, (void)row, (void)nextFilter, (void)next, (void)previous, (void)rowBytes,
        (void)bytesPerPixel;
    return false;
#endif
}

}  // namespace morvel
