#include "sequence/film.h"

#include "project/program_state.h"

namespace morvel {

std::string Film::maskFile(std::int32_t number) const {
    return workingFolder + MaskWorkingFileName(number);
}

FilmFrame Film::frameFiles(const FrameRecord& record) const {
    FilmFrame frame;
    frame.layers = record.layerSource;
    if (record.maskNumber != 0) frame.mask = maskFile(record.maskNumber);
    return frame;
}

std::vector<FilmFrame> Film::allFrameFiles() const {
    std::vector<FilmFrame> film;
    film.reserve(static_cast<std::size_t>(size()));
    for (int i = 0; i < size(); ++i) film.push_back(frameFiles(i));
    return film;
}

}  // namespace morvel
