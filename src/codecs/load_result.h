#pragma once

namespace morvel {

// What a picture reader made of its input. Every reader returns one of these and never throws.
enum class LoadResult {
    Ok,
    NotThisFormat,  // the first bytes do not belong to this format: try the next reader
    Unsupported,    // this format, but a variant the reader does not handle
    Damaged,        // truncated or inconsistent data
    TooLarge,       // the announced size is above Image::kMaxSide / Image::kMaxPixels
    OutOfMemory,    // the pixels could not be allocated
    CannotOpen,     // the file could not be opened or read
};

const char* describe(LoadResult result);

}  // namespace morvel
