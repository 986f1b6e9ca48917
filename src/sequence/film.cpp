#include "sequence/film.h"

namespace morvel {

std::vector<FrameFiles> Film::allFrameFiles() const {
    std::vector<FrameFiles> film;
    film.reserve(static_cast<std::size_t>(size()));
    for (int i = 0; i < size(); ++i) film.push_back(frameFiles(i));
    return film;
}

}  // namespace morvel
