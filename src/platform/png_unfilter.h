#pragma once

#include <cstddef>
#include <cstdint>

namespace morvel {

// Undoes one PNG row filter in place. row holds rowBytes filtered bytes, previous the row above
// already unfiltered (all zero for the first row); bytesPerPixel is 1 for pixels under a byte.
// False for a filter type above 4. One byte after each of the two rows must be readable.
bool UnfilterPngRow(int filter, std::uint8_t* row, const std::uint8_t* previous,
                    std::size_t rowBytes, int bytesPerPixel);

}  // namespace morvel
