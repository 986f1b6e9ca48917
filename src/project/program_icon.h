#pragma once

#include <string>

#include "platform/image.h"

namespace morvel {

// The program's icon, size x size pixels (16 to 512): a strip of film whose frames change from
// one take to the other, drawn here so that the window and the file manager show the same one.
Image ProgramIcon(int size);

// The same icon as a scalable SVG drawing (256 x 256 units), for desktops that scale icons.
std::string ProgramIconSvg();

}  // namespace morvel
