#pragma once

#include <algorithm>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Grows into to hold r as well; empty rectangles add nothing.
inline void UniteRect(Rect& into, const Rect& r) {
    if (IsEmptyRect(r)) return;
    if (IsEmptyRect(into)) {
        into = r;
        return;
    }
    into.left = std::min(into.left, r.left);
    into.top = std::min(into.top, r.top);
    into.right = std::max(into.right, r.right);
    into.bottom = std::max(into.bottom, r.bottom);
}

}  // namespace morvel
