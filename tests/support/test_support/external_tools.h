#pragma once

// Helpers for tests that compare our readers with files made or read by ImageMagick's convert
// and by ffmpeg. Header only; the tests that use them skip themselves when a tool is missing.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/image.h"

namespace morvel::testing {

inline bool HaveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs the tool with these arguments, each passed as one word. True when it succeeded.
inline bool RunTool(const std::string& name, const std::vector<std::string>& args) {
    std::string command = name;
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// What the tool printed on standard output (its errors are discarded).
inline std::string ToolOutput(const std::string& name, const std::vector<std::string>& args) {
    std::string command = name;
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " 2>/dev/null";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

inline bool HaveConvert() {
    return HaveTool("convert");
}
inline bool RunConvert(const std::vector<std::string>& args) {
    return RunTool("convert", args);
}

// A binary PPM (P6, 8 bits): the lossless form in which pictures go to and come from convert.
inline std::vector<std::uint8_t> EncodePpm(const Image& image) {
    const std::string header =
        "P6\n" + std::to_string(image.width()) + " " + std::to_string(image.height()) + "\n255\n";
    std::vector<std::uint8_t> out(header.begin(), header.end());
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* row = image.row(y);
        out.insert(out.end(), row, row + image.width() * 3);
    }
    return out;
}

inline std::optional<Image> DecodePpm(std::span<const std::uint8_t> bytes) {
    std::size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < bytes.size() && (bytes[pos] == ' ' || bytes[pos] == '\n' ||
                                      bytes[pos] == '\r' || bytes[pos] == '\t'))
            ++pos;
    };
    auto number = [&]() -> int {
        skipSpace();
        int value = 0;
        bool any = false;
        while (pos < bytes.size() && bytes[pos] >= '0' && bytes[pos] <= '9' && value < 100000) {
            value = value * 10 + (bytes[pos++] - '0');
            any = true;
        }
        return any ? value : -1;
    };
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return std::nullopt;
    pos = 2;
    const int width = number();
    const int height = number();
    const int maxValue = number();
    if (width <= 0 || height <= 0 || maxValue != 255) return std::nullopt;
    ++pos;  // the one white-space byte before the pixels
    if (bytes.size() < pos || bytes.size() - pos < std::size_t(width) * std::size_t(height) * 3)
        return std::nullopt;
    std::optional<Image> image = Image::create(width, height);
    if (!image) return std::nullopt;
    for (int y = 0; y < height; ++y, pos += std::size_t(width) * 3) {
        std::copy(bytes.begin() + pos, bytes.begin() + pos + width * 3, image->row(y));
    }
    return image;
}

}  // namespace morvel::testing
