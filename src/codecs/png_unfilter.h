#pragma once

#include <cstddef>
#include <cstdint>

namespace morvel {

// Undoes one PNG row filter in place. row holds rowBytes filtered bytes, previous the row above
// already unfiltered (all zero for the first row); bytesPerPixel is 1 for pixels under a byte.
// False for a filter type above 4. One byte after each of the two rows must be readable.
bool UnfilterPngRow(int filter, std::uint8_t* row, const std::uint8_t* previous,
                    std::size_t rowBytes, int bytesPerPixel);

// Undoes the filters of a row and the next one together where that is faster (both Paeth,
// pixels of three or four bytes); false, leaving both untouched, where it is not: the caller
// then undoes them one by one. The same bytes must be readable as for UnfilterPngRow.
bool UnfilterPngRowPair(int filter, std::uint8_t* row, int nextFilter, std::uint8_t* next,
                        const std::uint8_t* previous, std::size_t rowBytes, int bytesPerPixel);

}  // namespace morvel
