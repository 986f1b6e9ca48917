#pragma once

#include "project/program_state.h"
#include "sequence/film.h"
#include "sequence/scaled_frame.h"

namespace morvel {

// The program's frames as a film.
Film FilmOf(const ProgramState& state);

// The view the canvas shows the film in now: its geometry and size, and the displayed
// composite's size, which a frame without pictures keeps.
FilmView FilmViewOf(const ProgramState& state);

}  // namespace morvel
