#include "window/save_window_icons.h"

#include <array>

#include "platform/save_window_plan.h"

namespace morvel {

namespace {

using IconRows = std::array<const char*, 16>;

// A folder with a bent arrow leading up out of it.
constexpr IconRows kFolderUp = {
    "................",  //
    "................",  //
    "..KKKKK.........",  //
    ".KWYWYWK........",  //
    "KWYWYWYWKKKKKK..",  //
    "KYYYYYYYYYYYYDK.",  //
    "KWYYYYYKYYYYYDK.",  //
    "KYYYYYKGKYYYYDK.",  //
    "KWYYYKGGGKYYYDK.",  //
    "KYYYKGGGGGKYYDK.",  //
    "KWYYYYKGKYYYYDK.",  //
    "KYYYYYKGKKKKYDK.",  //
    "KWYYYYKGGGGKYDK.",  //
    "KYYYYYKKKKKKYDK.",  //
    ".KDDDDDDDDDDDDK.",  //
    "..KKKKKKKKKKKKK.",  //
};

// Four tiles, each with a line of text beside it, and the arrow of a choice.
constexpr IconRows kChangeView = {
    "................",  //
    "KKKKKKKKKKKKK...",  //
    "KWWWWWWWWWWWKs..",  //
    "KWBBWKKKWWWWKs..",  //
    "KWBBWWWWWWWWKs..",  //
    "KWWWWWWWWWWWKs..",  //
    "KWBBWKKKKWWWKs..",  //
    "KWBBWWWWWWWWKs..",  //
    "KWWWWWWWWWWWKs..",  //
    "KWBBWKKKWWWWKs..",  //
    "KWBBWWWWWWWWKs..",  //
    "KWWWWWWWWWWWKs..",  //
    "KKKKKKKKKKKKKs..",  //
    ".ssssssssssKKKKK",  //
    "............KKK.",  //
    ".............K..",  //
};

// The 16 standard colours the icons are drawn in, by letter; "." is transparent.
QRgb colourOf(char c) {
    switch (c) {
        case 'K':
            return qRgb(0, 0, 0);
        case 'W':
            return qRgb(255, 255, 255);
        case 'Y':
            return qRgb(255, 255, 0);
        case 'D':
            return qRgb(128, 128, 0);
        case 'G':
            return qRgb(0, 128, 0);
        case 'B':
            return qRgb(0, 0, 255);
        case 's':
            return qRgb(128, 128, 128);
        default:
            return qRgba(0, 0, 0, 0);
    }
}

QImage fromRows(const IconRows& rows) {
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, colourOf(rows[y][x]));
    return image;
}

}  // namespace

QImage SaveWindowIcon(int image) {
    if (image == kFolderUpImage) return fromRows(kFolderUp);
    if (image == kChangeViewImage) return fromRows(kChangeView);
    return {};
}

}  // namespace morvel
