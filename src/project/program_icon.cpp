#include "project/program_icon.h"

#include <algorithm>

namespace morvel {

Image ProgramIcon(int size) {
    size = std::clamp(size, 16, 512);
    Image icon = *Image::create(size, size);
    const int border = size / 16;
    const int holeBand = size / 6;  // the sprocket rows above and below the frames
    const int frames = 3;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Film base: near-black with a lighter edge.
            std::uint8_t r = 28, g = 30, b = 36;
            const bool edge = x < border || y < border || x >= size - border || y >= size - border;
            if (edge) r = g = b = 70;
            const bool inHoleRow = (y >= border * 2 && y < holeBand) ||
                                   (y >= size - holeBand && y < size - border * 2);
            const int holePitch = std::max(4, size / 6);
            if (inHoleRow && !edge && (x % holePitch) >= holePitch / 4 &&
                (x % holePitch) < holePitch * 3 / 4) {
                r = g = b = 235;  // sprocket hole
            }
            const int top = holeBand + border;
            const int bottom = size - holeBand - border;
            if (y >= top && y < bottom && x >= border * 2 && x < size - border * 2) {
                const int width = size - border * 4;
                const int column = (x - border * 2) * frames / width;
                const int frameLeft = border * 2 + column * width / frames;
                const bool gap = x - frameLeft < std::max(1, border / 2);
                if (!gap) {
                    // Each frame mixes the warm first take into the cool second take a bit more.
                    const int mix = (x - border * 2) * 255 / std::max(1, width - 1);
                    const int shade = 255 - (y - top) * 60 / std::max(1, bottom - top);
                    r = static_cast<std::uint8_t>((250 * (255 - mix) + 60 * mix) / 255 * shade /
                                                  255);
                    g = static_cast<std::uint8_t>((170 * (255 - mix) + 150 * mix) / 255 * shade /
                                                  255);
                    b = static_cast<std::uint8_t>((40 * (255 - mix) + 240 * mix) / 255 * shade /
                                                  255);
                }
            }
            icon.setPixel(x, y, r, g, b);
        }
    }
    return icon;
}

}  // namespace morvel
