#pragma once

#include "project/view_geometry.h"

namespace morvel {

// The tools, the zoom, the wheel and the canvas convert between canvas and composite
// coordinates through the view's geometry.
using ViewTransform = ViewGeometry;

}  // namespace morvel
