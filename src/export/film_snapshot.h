#pragma once

#include "project/document.h"
#include "sequence/film.h"

namespace morvel {

// A copy of a film's frames, its masks' folder and the masks it keeps in memory (shared, never
// changed), so that a worker composes the film as it was when the export began whatever the
// project does meanwhile.
class FilmSnapshot {
public:
    explicit FilmSnapshot(const Film& film);
    FilmSnapshot(const FilmSnapshot&) = delete;
    FilmSnapshot& operator=(const FilmSnapshot&) = delete;

    Film film() const { return Film(m_copy, &m_masksInMemory); }

private:
    Document m_copy;
    MasksInMemory m_masksInMemory;
};

}  // namespace morvel
