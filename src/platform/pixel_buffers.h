#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvel {

// Large pixel buffers are kept for reuse when their picture goes: a fresh buffer of camera size
// costs more in the kernel (mapping and clearing its pages) than decoding into it. Buffers
// below kPooledBufferBytes come and go through the allocator as usual; the pool holds at most
// kPixelPoolBytes, and no more than kPooledBuffersOfOneSize buffers' worth of the buffer it
// takes in (large pictures leave fewer: one of 24 megapixels, none of 45), and gives back its
// oldest buffers first.
constexpr std::size_t kPooledBufferBytes = std::size_t{8} << 20;
constexpr std::size_t kPixelPoolBytes = std::size_t{96} << 20;
constexpr std::size_t kPooledBuffersOfOneSize = 3;

// A buffer of exactly bytes zero bytes; throws std::bad_alloc when it cannot be had even after
// the pool gave its buffers back.
std::vector<std::uint8_t> TakePixelBuffer(std::size_t bytes);
// Keeps buffer for reuse when it is large enough; otherwise lets it go.
void ReturnPixelBuffer(std::vector<std::uint8_t>&& buffer) noexcept;
// Bytes held for reuse.
std::size_t PooledPixelBytes();

}  // namespace morvel
