#include "codecs/load_result.h"

namespace morvel {

const char* describe(LoadResult result) {
    switch (result) {
        case LoadResult::Ok:
            return "ok";
        case LoadResult::NotThisFormat:
            return "not this format";
        case LoadResult::Unsupported:
            return "unsupported variant";
        case LoadResult::Damaged:
            return "damaged";
        case LoadResult::TooLarge:
            return "too large";
        case LoadResult::OutOfMemory:
            return "out of memory";
        case LoadResult::CannotOpen:
            return "cannot open";
    }
    return "unknown";
}

}  // namespace morvel
