#include "project/program_icon.h"

#include <algorithm>
#include <cstdio>

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

namespace {

std::string rect(int x, int y, int width, int height, const char* fill) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\"/>\n", x, y, width,
                  height, fill);
    return text;
}

}  // namespace

std::string ProgramIconSvg() {
    // The shapes of ProgramIcon(256), with the same measures.
    constexpr int size = 256;
    constexpr int border = size / 16;
    constexpr int holeBand = size / 6;
    constexpr int holePitch = size / 6;
    constexpr int frames = 3;
    constexpr int width = size - border * 4;
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n<defs>\n"
        "<linearGradient id=\"takes\" gradientUnits=\"userSpaceOnUse\" x1=\"32\" y1=\"0\" "
        "x2=\"224\" y2=\"0\"><stop offset=\"0\" stop-color=\"#faaa28\"/>"
        "<stop offset=\"1\" stop-color=\"#3c96f0\"/></linearGradient>\n"
        "<linearGradient id=\"shade\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
        "<stop offset=\"0\" stop-color=\"#000\" stop-opacity=\"0\"/>"
        "<stop offset=\"1\" stop-color=\"#000\" stop-opacity=\"0.235\"/></linearGradient>\n"
        "</defs>\n";
    svg += rect(0, 0, size, size, "#464646");
    svg += rect(border, border, size - 2 * border, size - 2 * border, "#1c1e24");
    for (const int top : {border * 2, size - holeBand}) {
        const int height = holeBand - border * 2;
        for (int left = 0; left < size; left += holePitch) {
            const int from = std::max(left + holePitch / 4, border);
            const int to = std::min(left + holePitch * 3 / 4, size - border);
            if (from < to) svg += rect(from, top, to - from, height, "#ebebeb");
        }
    }
    const int top = holeBand + border;
    const int bottom = size - holeBand - border;
    for (int column = 0; column < frames; ++column) {
        const int left = border * 2 + column * width / frames + border / 2;
        const int right = border * 2 + (column + 1) * width / frames;
        svg += rect(left, top, right - left, bottom - top, "url(#takes)");
        svg += rect(left, top, right - left, bottom - top, "url(#shade)");
    }
    return svg + "</svg>\n";
}

}  // namespace morvel
