#include "export/film_snapshot.h"

namespace morvel {

FilmSnapshot::FilmSnapshot(const Film& film) : m_copy(film.masks.folder()) {
    m_copy.masks.nextNumber = film.masks.nextNumber;
    if (film.masksInMemory) m_masksInMemory = *film.masksInMemory;
    for (int i = 0; i < film.size(); ++i) {
        const FrameRecord& frame = film.frames.at(i);
        FrameRecord& copy = m_copy.frames.append();
        copy.layerSource = frame.layerSource;
        copy.maskNumber = frame.maskNumber;
    }
}

}  // namespace morvel
