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

__m128i absolute(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

template <int Bpp>
void unfilterPixels(int filter, std::uint8_t* row, const std::uint8_t* prev, std::size_t n) {
    const __m128i mask = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();  // left
    __m128i c = _mm_setzero_si128();  // up-left
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        const __m128i x = loadPixel(row + i);
        __m128i out;
        if (filter == 1) {
            out = _mm_add_epi16(x, a);
        } else if (filter == 3) {
            const __m128i b = loadPixel(prev + i);
            out = _mm_add_epi16(x, _mm_srli_epi16(_mm_add_epi16(a, b), 1));
        } else {
            const __m128i b = loadPixel(prev + i);
            const __m128i bc = _mm_sub_epi16(b, c);
            const __m128i ac = _mm_sub_epi16(a, c);
            const __m128i pa = absolute(bc);
            const __m128i pb = absolute(ac);
            const __m128i pc = absolute(_mm_add_epi16(bc, ac));
            const __m128i least = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
            const __m128i takeA = _mm_cmpeq_epi16(pa, least);
            const __m128i takeB = _mm_andnot_si128(takeA, _mm_cmpeq_epi16(pb, least));
            const __m128i takeC = _mm_andnot_si128(_mm_or_si128(takeA, takeB), mask);
            const __m128i predictor =
                _mm_or_si128(_mm_or_si128(_mm_and_si128(takeA, a), _mm_and_si128(takeB, b)),
                             _mm_and_si128(takeC, c));
            out = _mm_add_epi16(x, predictor);
            c = b;
        }
        a = _mm_and_si128(out, mask);
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
