#pragma once

#include <QPixmap>

#include "platform/main_window_plan.h"

namespace morvel {

// The program's own pictures, drawn at their fixed sizes (see Picture). Picture::None gives a
// null pixmap.
QPixmap DrawPicture(Picture picture);

// A picture the core describes as pixels; a null pixmap when it has no rows.
QPixmap DrawPixelPicture(const PixelPicture& picture);

}  // namespace morvel
