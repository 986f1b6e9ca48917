#include "platform/png_unfilter.h"

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
            // Paeth: a when pa <= pb and pa <= pc, else b when pb <= pc, else c; with
            // pa = |b - c|, pb = |a - c| and pc = |a + b - 2c| = |a - (2c - b)|.
            const __m128i b = loadPixel(prev + i);
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
            a = _mm_or_si128(_mm_andnot_si128(notA, withA), _mm_and_si128(notA, withBOrC));
            c = b;
        }
        storePixel<Bpp>(row + i, a);
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

}  // namespace morvel
