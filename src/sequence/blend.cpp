#include "sequence/blend.h"

#include <algorithm>

// The blend runs once per brush dab and over whole frames in the exports, so it must run close to
// memory speed: the mask's grey bytes are first spread over a small chunk buffer (one value per
// component), then one plain byte loop mixes the chunk, which the compiler turns into 16-bit
// vector arithmetic. The loops are built for AVX2 and for the baseline, chosen at load time.
// A build without load-time choice (MORVEL_NO_TARGET_CLONES, for ThreadSanitizer) gets the
// baseline only.
#ifdef MORVEL_NO_TARGET_CLONES
#define MORVEL_VECTOR_CLONES
#else
#define MORVEL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif

namespace morvel {

namespace {

constexpr int kChunkPixels = 512;

MORVEL_VECTOR_CLONES
void spreadMask(const std::uint8_t* __restrict mask, std::uint8_t* __restrict spread,
                int pixels) {
    for (int x = 0; x < pixels; ++x) {
        const std::uint8_t m = mask[x];
        spread[x * 3] = m;
        spread[x * 3 + 1] = m;
        spread[x * 3 + 2] = m;
    }
}

MORVEL_VECTOR_CLONES
void mixTwo(const std::uint8_t* __restrict a, const std::uint8_t* __restrict b,
            const std::uint8_t* __restrict m, std::uint8_t* __restrict out, int count) {
    for (int i = 0; i < count; ++i) {
        const std::uint16_t s = static_cast<std::uint16_t>(a[i] * m[i]) +
                                static_cast<std::uint16_t>(b[i] * (255 - m[i]));
        out[i] = static_cast<std::uint8_t>((s >> 8) + (s >= 32640));
    }
}

MORVEL_VECTOR_CLONES
void mixOne(const std::uint8_t* __restrict a, const std::uint8_t* __restrict m,
            std::uint8_t* __restrict out, int count) {
    for (int i = 0; i < count; ++i) {
        const std::uint16_t s = static_cast<std::uint16_t>(a[i] * m[i]);
        out[i] = static_cast<std::uint8_t>((s >> 8) + (s >= 32640));
    }
}

}  // namespace

void BlendTwoLayersRow(const std::uint8_t* layer1, const std::uint8_t* layer2,
                       const std::uint8_t* mask, std::uint8_t* out, int pixels) {
    alignas(64) std::uint8_t spread[kChunkPixels * 3];
    for (int done = 0; done < pixels; done += kChunkPixels) {
        const int count = std::min(kChunkPixels, pixels - done);
        const std::size_t offset = static_cast<std::size_t>(done) * 3;
        spreadMask(mask + done, spread, count);
        mixTwo(layer1 + offset, layer2 + offset, spread, out + offset, count * 3);
    }
}

void BlendOneLayerRow(const std::uint8_t* layer1, const std::uint8_t* mask, std::uint8_t* out,
                      int pixels) {
    alignas(64) std::uint8_t spread[kChunkPixels * 3];
    for (int done = 0; done < pixels; done += kChunkPixels) {
        const int count = std::min(kChunkPixels, pixels - done);
        const std::size_t offset = static_cast<std::size_t>(done) * 3;
        spreadMask(mask + done, spread, count);
        mixOne(layer1 + offset, spread, out + offset, count * 3);
    }
}

}  // namespace morvel
