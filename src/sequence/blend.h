#pragma once

#include <cstddef>
#include <cstdint>

namespace morvel {

// The program's mix of two components through a mask value m (0..255):
// s = a*m + b*(255-m), result floor(s/256) + (s >= 32640). It maps 0 to 0 and 255*255 to 255.
constexpr std::uint8_t MixComponents(unsigned a, unsigned b, unsigned m) {
    const unsigned s = a * m + b * (255 - m);
    return static_cast<std::uint8_t>((s >> 8) + (s >= 32640 ? 1 : 0));
}

// One row of pixels (3 bytes each) of layer 1 over layer 2 through the mask row of grey values
// (one byte each). Rows may not overlap out.
void BlendTwoLayersRow(const std::uint8_t* layer1, const std::uint8_t* layer2,
                       const std::uint8_t* mask, std::uint8_t* out, int pixels);

// The same with layer 2 black: s = a*m.
void BlendOneLayerRow(const std::uint8_t* layer1, const std::uint8_t* mask, std::uint8_t* out,
                      int pixels);

}  // namespace morvel
