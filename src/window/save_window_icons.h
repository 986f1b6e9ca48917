#pragma once

#include <QImage>

namespace morvel {

// The icons of the save window's two icon buttons, 16 x 16 in the 16 standard colours with a
// transparent background: image 9 (a folder with an arrow up) and image 10 (a view of tiles).
// Any other number gives a null image.
QImage SaveWindowIcon(int image);

}  // namespace morvel
