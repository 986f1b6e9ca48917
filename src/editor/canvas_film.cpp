#include "editor/canvas_film.h"

namespace morvel {

Film FilmOf(const Document& document, const EditSession& session) {
    return Film(document, &session.unstoredMasks);
}

FilmView FilmViewOf(const EditSession& session, const View& view) {
    FilmView film;
    film.geometry = ViewGeometry::of(view);
    film.canvasWidth = view.canvas.width();
    film.canvasHeight = view.canvas.height();
    film.carriedWidth = session.images.composite.width();
    film.carriedHeight = session.images.composite.height();
    return film;
}

}  // namespace morvel
