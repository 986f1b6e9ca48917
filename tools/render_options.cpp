#include "tools/render_options.h"

#include <charconv>

#include "export/avi_export.h"
#include "platform/text.h"
#include "project/name_template.h"

namespace morvel {

const char* const kRenderUsage =
    "Usage: morvel-render [options] PROJECT OUTPUT\n"
    "       morvel-render --info PROJECT\n"
    "       morvel-render --carry-masks FIRST-LAST PROJECT\n"
    "Renders every frame of a saved project as a numbered image sequence. OUTPUT's folder is\n"
    "created when it does not exist.\n"
    "\n"
    "  PROJECT          the project file (.mvl)\n"
    "  OUTPUT           the path as typed in the export requester; its extension is replaced\n"
    "                   by .<number>.<ext> (numbers padded to the digit count of the project's\n"
    "                   frame count)\n"
    "  -f, --format F   bmp, png or jpg (jpeg too), or avi: one AVI video OUTPUT.avi written\n"
    "                   through AVIServ.so, beside this program or in ../lib/morvel/ when\n"
    "                   installed (Motion-JPEG; the variable AVISERV_CODEC=ffv1 or rgb makes\n"
    "                   it lossless), or mp4: OUTPUT.mp4 (H.264, AAC sound) for sharing, or\n"
    "                   mov: OUTPUT.mov (ProRes 422 HQ, PCM sound) for editors; default:\n"
    "                   OUTPUT's extension when it is one of these, else png\n"
    "      --fps N      frames per second of a video, 1 to 60 (default 30)\n"
    "      --sound FILE the video's sound track (WAV, FLAC, MP3, Ogg, M4A...), starting with\n"
    "                   the project's first frame, instead of the project's own track (which a\n"
    "                   video carries at its offset otherwise); only the rendered frames' span\n"
    "                   is used\n"
    "      --frames A-B only frames A to B (1-based, inclusive; either end may be left out);\n"
    "                   file numbers stay those of the whole project\n"
    "  -j, --threads N  threads that read pictures and encode beside the composing one\n"
    "                   (default: one per core; 0 does everything on one thread); the files\n"
    "                   are the same for any number\n"
    "  -q, --quiet      no progress output\n"
    "      --search DIR look for pictures missing at their stored paths by name in DIR and\n"
    "                   its folders one level below\n"
    "      --info       print the project's frame count and the width of the file numbers,\n"
    "                   as \"frames: N\" and \"digits: D\" lines, and write nothing\n"
    "      --carry-masks FIRST-LAST\n"
    "                   render nothing: carry the mask of frame FIRST to the frames after it up\n"
    "                   to LAST, following the motion of layer 1 (a frame's own mask is\n"
    "                   replaced), and save the project; one line per frame with its time\n"
    "  -h, --help       this help\n"
    "      --version    the program's version\n"
    "\n"
    "Exit status: 0 when every frame was written, 1 when an error was reported, 2 for a usage\n"
    "error, 130 when interrupted.\n";

namespace {

std::optional<VideoFormat> videoFormatNamed(const std::string& name) {
    if (EqualsIgnoreCase(name, "mp4")) return VideoFormat::Mp4;
    if (EqualsIgnoreCase(name, "mov")) return VideoFormat::Mov;
    return std::nullopt;
}

std::optional<PictureFormat> formatNamed(const std::string& name) {
    if (EqualsIgnoreCase(name, "bmp")) return PictureFormat::Bmp;
    if (EqualsIgnoreCase(name, "png")) return PictureFormat::Png;
    if (EqualsIgnoreCase(name, "jpg") || EqualsIgnoreCase(name, "jpeg")) return PictureFormat::Jpeg;
    return std::nullopt;
}

// A frame number of a range: empty is allowed (an open end), otherwise a whole number >= 1.
bool parseFrameNumber(const std::string& text, int& value) {
    if (text.empty()) return true;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= 1;
}

bool parseRange(const std::string& range, RenderOptions& options) {
    const auto dash = range.find('-');
    if (dash == std::string::npos) {
        int frame = 0;
        if (range.empty() || !parseFrameNumber(range, frame)) return false;
        options.firstFrame = options.lastFrame = frame;
        return true;
    }
    int first = 1;
    int last = 0;
    if (!parseFrameNumber(range.substr(0, dash), first) ||
        !parseFrameNumber(range.substr(dash + 1), last)) {
        return false;
    }
    if (last != 0 && last < first) return false;
    options.firstFrame = first;
    options.lastFrame = last;
    return true;
}

}  // namespace

const char* ExtensionFor(PictureFormat format) {
    switch (format) {
        case PictureFormat::Bmp:
            return "bmp";
        case PictureFormat::Jpeg:
            return "jpg";
        case PictureFormat::Png:
            break;
    }
    return "png";
}

ParsedRenderOptions ParseRenderOptions(const std::vector<std::string>& arguments) {
    ParsedRenderOptions parsed;
    RenderOptions& options = parsed.options;
    std::vector<std::string> positional;
    std::optional<PictureFormat> format;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&](const std::string& name) -> std::optional<std::string> {
            const auto equals = argument.find('=');
            if (argument.rfind("--", 0) == 0 && equals != std::string::npos)
                return argument.substr(equals + 1);
            if (i + 1 < arguments.size()) return arguments[++i];
            parsed.error = "option " + name + " needs a value";
            return std::nullopt;
        };
        const auto named = [&](const char* longName) {
            return argument == longName || argument.rfind(std::string(longName) + "=", 0) == 0;
        };
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--info") {
            options.info = true;
        } else if (argument == "-q" || argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "-f" || named("--format")) {
            const auto name = value(argument);
            if (!name) return parsed;
            options.avi = EqualsIgnoreCase(*name, "avi");
            options.video = videoFormatNamed(*name);
            if (options.avi || options.video) continue;
            format = formatNamed(*name);
            if (!format) {
                parsed.error = "unknown format '" + *name + "' (bmp, png, jpg, avi, mp4 or mov)";
                return parsed;
            }
        } else if (named("--fps")) {
            const auto rate = value(argument);
            if (!rate) return parsed;
            const auto result =
                std::from_chars(rate->data(), rate->data() + rate->size(), options.fps);
            if (result.ec != std::errc() || result.ptr != rate->data() + rate->size() ||
                options.fps < kMinFrameRate || options.fps > kMaxFrameRate) {
                parsed.error = "bad frame rate '" + *rate + "' (1 to 60 frames per second)";
                return parsed;
            }
        } else if (argument == "-j" || named("--threads")) {
            const auto count = value(argument);
            if (!count) return parsed;
            int threads = -1;
            const auto result =
                std::from_chars(count->data(), count->data() + count->size(), threads);
            if (result.ec != std::errc() || result.ptr != count->data() + count->size() ||
                threads < 0 || threads > 256) {
                parsed.error = "bad thread count '" + *count + "' (0 to 256)";
                return parsed;
            }
            options.threads = threads;
        } else if (named("--sound")) {
            const auto file = value(argument);
            if (!file) return parsed;
            options.sound = *file;
        } else if (named("--search")) {
            const auto folder = value(argument);
            if (!folder) return parsed;
            options.search = *folder;
        } else if (named("--carry-masks")) {
            const auto range = value(argument);
            if (!range) return parsed;
            RenderOptions carried;
            if (!parseRange(*range, carried) || carried.lastFrame <= carried.firstFrame) {
                parsed.error = "bad carry range '" + *range + "' (for example 1-10)";
                return parsed;
            }
            options.carryMasks = true;
            options.carryFirst = carried.firstFrame;
            options.carryLast = carried.lastFrame;
        } else if (named("--frames")) {
            const auto range = value(argument);
            if (!range) return parsed;
            if (!parseRange(*range, options)) {
                parsed.error = "bad frame range '" + *range + "' (for example 1-20, 5- or -10)";
                return parsed;
            }
        } else {
            parsed.error = "unknown option '" + argument + "'";
            return parsed;
        }
    }
    if (options.help || options.version) return parsed;
    if (options.info || options.carryMasks) {
        if (positional.size() != 1)
            parsed.error = options.info ? "--info needs PROJECT alone"
                                        : "--carry-masks needs PROJECT alone";
        if (!positional.empty()) options.project = positional[0];
        return parsed;
    }
    if (positional.size() != 2) {
        parsed.error =
            positional.size() < 2 ? "PROJECT and OUTPUT are needed" : "too many arguments";
        return parsed;
    }
    options.project = positional[0];
    options.output = positional[1];
    if (!format && !options.video && !options.avi) {
        options.avi = EqualsIgnoreCase(FileExtension(options.output), "avi");
        options.video = videoFormatNamed(FileExtension(options.output));
    }
    if (!format) format = formatNamed(FileExtension(options.output));
    if (!options.sound.empty() && !options.avi && !options.video)
        parsed.error = "--sound needs a video (avi, mp4 or mov)";
    options.format = format.value_or(PictureFormat::Png);
    return parsed;
}

}  // namespace morvel
