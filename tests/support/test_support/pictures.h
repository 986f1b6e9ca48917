#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/image.h"

// Helpers for codec tests: pictures with content that compresses like a photograph, pixel
// comparisons, and running the external tools (ImageMagick, ffmpeg) that make files for them.
// Header only, so that the tests that need it pay nothing else.
namespace morvel::testing {

// Smooth gradients in each channel plus a little noise: compresses like a photograph rather
// than like a flat colour. The same seed gives the same picture.
inline Image GradientPicture(int width, int height, std::uint32_t seed = 1, int noise = 16) {
    Image image = *Image::create(width, height);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = image.row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int jitter = noise > 0 ? static_cast<int>(state % (2 * noise + 1)) - noise : 0;
            const int r = x * 255 / (width > 1 ? width - 1 : 1);
            const int g = y * 255 / (height > 1 ? height - 1 : 1);
            const int b = (x + y) * 255 / (width + height > 2 ? width + height - 2 : 1);
            auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            p[0] = clamp(r + jitter);
            p[1] = clamp(g - jitter);
            p[2] = clamp(255 - b + jitter / 2);
        }
    }
    return image;
}

// Mean of the absolute differences over all channels; -1 when the sizes differ.
inline double MeanDifference(const Image& a, const Image& b) {
    if (a.width() != b.width() || a.height() != b.height()) return -1;
    std::uint64_t sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width() * 3; ++x) sum += std::abs(a.row(y)[x] - b.row(y)[x]);
    }
    return static_cast<double>(sum) / (static_cast<double>(a.width()) * a.height() * 3);
}

// True when the program is found in one of the folders of PATH.
inline bool ToolAvailable(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

// Runs a shell command with its output discarded; true when it exited with status 0.
inline bool RunQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output of a shell command (errors discarded).
inline std::string OutputOf(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

// Paths are put in single quotes for the shell.
inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace morvel::testing
