#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"
#include "sequence/film.h"
#include "sequence/scaled_frame.h"

namespace morvel {

// The program's frames as a film: a mask kept in memory is taken from there.
Film FilmOf(const Document& document, const EditSession& session);

// The view the canvas shows the film in now: its geometry and size, and the displayed
// composite's size, which a frame without pictures keeps.
FilmView FilmViewOf(const EditSession& session, const View& view);

}  // namespace morvel
