#include "project/workplace.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "platform/files.h"

namespace morvel {

namespace {

// A file larger than this is not ours.
constexpr std::size_t kMaxWorkplaceFileBytes = std::size_t{1} << 20;
// Window sizes past this are damage, not a screen.
constexpr int kMaxWindowLength = 100000;

// The first word of text from at, moving at past it and the blank after it.
std::string word(const std::string& text, std::size_t& at) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    std::string result = text.substr(at, end - at);
    at = std::min(end + 1, text.size());
    return result;
}

template <typename Number>
std::optional<Number> number(const std::string& text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

std::optional<int> inRange(const std::string& text, int least, int most) {
    const auto value = number<int>(text);
    if (!value || *value < least || *value > most) return std::nullopt;
    return value;
}

std::string floatText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// A path the file can hold on one line.
bool writable(const std::string& path) {
    return !path.empty() && path.find_first_of("\r\n") == std::string::npos;
}

template <typename T, typename Same>
void putFirst(std::vector<T>& list, T entry, std::size_t most, Same same) {
    std::erase_if(list, [&](const T& other) { return same(other, entry); });
    list.insert(list.begin(), std::move(entry));
    if (list.size() > most) list.resize(most);
}

void parseZoom(Workplace& workplace, const std::string& line, std::size_t at) {
    ProjectZoom zoom;
    const std::string mode = word(line, at);
    if (mode != "fit") {
        const auto factor = number<float>(mode);
        const auto x = number<int>(word(line, at));
        const auto y = number<int>(word(line, at));
        if (!factor || !std::isfinite(*factor) || *factor <= 0 || !x || !y)
            return;
        zoom.fit = false;
        zoom.zoom = *factor;
        zoom.offsetX = *x;
        zoom.offsetY = *y;
    }
    zoom.project = line.substr(at);
    if (zoom.project.empty() || workplace.zoomOf(zoom.project)) return;
    if (workplace.zooms.size() < kRememberedZoomCount) workplace.zooms.push_back(zoom);
}

void parseLine(Workplace& workplace, const std::string& line) {
    std::size_t at = 0;
    const std::string key = word(line, at);
    if (key == "window") {
        const auto x = inRange(word(line, at), -kMaxWindowLength, kMaxWindowLength);
        const auto y = inRange(word(line, at), -kMaxWindowLength, kMaxWindowLength);
        const auto w = inRange(word(line, at), 1, kMaxWindowLength);
        const auto h = inRange(word(line, at), 1, kMaxWindowLength);
        if (x && y && w && h && at == line.size()) workplace.window = {*x, *y, *w, *h};
    } else if (key == "brush-size") {
        workplace.brushSize = inRange(line.substr(at), kMinBrushSize, kMaxBrushSize);
    } else if (key == "hardness") {
        workplace.hardness = inRange(line.substr(at), 0, 100);
    } else if (key == "transparency") {
        workplace.transparency = inRange(line.substr(at), 0, 100);
    } else if (key == "brush-shape") {
        const std::string shape = line.substr(at);
        workplace.brushShape = shape == "round"    ? std::optional<int>(6)
                               : shape == "square" ? std::optional<int>(7)
                                                   : std::nullopt;
    } else if (key == "folder") {
        const std::string requester = word(line, at);
        const std::string folder = line.substr(at);
        if (!requester.empty() && !folder.empty() && folder.back() == '/' && IsFolder(folder))
            workplace.folders.push_back({requester, folder});
    } else if (key == "recent") {
        const std::string project = line.substr(at);
        if (IsRegularFile(project) && workplace.recentProjects.size() < kRecentProjectCount &&
            std::find(workplace.recentProjects.begin(), workplace.recentProjects.end(),
                      project) == workplace.recentProjects.end())
            workplace.recentProjects.push_back(project);
    } else if (key == "zoom") {
        parseZoom(workplace, line, at);
    }
}

}  // namespace

std::string Workplace::folderFor(const std::string& requester,
                                 const std::string& projectFile) const {
    for (const RequesterFolder& entry : folders)
        if (entry.requester == requester) return entry.folder;
    return FolderPart(projectFile);
}

void Workplace::rememberFolder(const std::string& requester, const std::string& chosenPath) {
    const std::string folder = FolderPart(chosenPath);
    if (!writable(folder)) return;
    putFirst(folders, RequesterFolder{requester, folder}, std::size_t{64},
             [](const RequesterFolder& a, const RequesterFolder& b) {
                 return a.requester == b.requester;
             });
}

void Workplace::rememberProject(const std::string& projectFile) {
    if (!writable(projectFile)) return;
    putFirst(recentProjects, projectFile, kRecentProjectCount,
             [](const std::string& a, const std::string& b) { return a == b; });
}

const ProjectZoom* Workplace::zoomOf(const std::string& projectFile) const {
    for (const ProjectZoom& zoom : zooms)
        if (zoom.project == projectFile) return &zoom;
    return nullptr;
}

void Workplace::rememberZoom(const ProjectZoom& zoom) {
    if (!writable(zoom.project)) return;
    if (!zooms.empty() && zooms.front() == zoom) return;  // the same as a moment ago
    putFirst(zooms, zoom, kRememberedZoomCount,
             [](const ProjectZoom& a, const ProjectZoom& b) { return a.project == b.project; });
}

std::string WorkplaceText(const Workplace& workplace) {
    std::ostringstream text;
    if (const auto& w = workplace.window)
        text << "window " << w->x << ' ' << w->y << ' ' << w->width << ' ' << w->height << '\n';
    if (workplace.brushSize) text << "brush-size " << *workplace.brushSize << '\n';
    if (workplace.hardness) text << "hardness " << *workplace.hardness << '\n';
    if (workplace.brushShape)
        text << "brush-shape " << (*workplace.brushShape == 7 ? "square" : "round") << '\n';
    if (workplace.transparency) text << "transparency " << *workplace.transparency << '\n';
    for (const RequesterFolder& entry : workplace.folders)
        if (writable(entry.folder) && entry.requester.find(' ') == std::string::npos)
            text << "folder " << entry.requester << ' ' << entry.folder << '\n';
    for (const std::string& project : workplace.recentProjects)
        if (writable(project)) text << "recent " << project << '\n';
    for (const ProjectZoom& zoom : workplace.zooms) {
        if (!writable(zoom.project)) continue;
        text << "zoom ";
        if (zoom.fit) {
            text << "fit ";
        } else {
            text << floatText(zoom.zoom) << ' ' << zoom.offsetX << ' ' << zoom.offsetY << ' ';
        }
        text << zoom.project << '\n';
    }
    return text.str();
}

Workplace ParseWorkplace(const std::string& text) {
    Workplace workplace;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        parseLine(workplace, line);
    }
    return workplace;
}

Workplace ReadWorkplaceFile(const std::string& folder) {
    if (folder.empty()) return {};
    const auto bytes = ReadFileBytes(folder + kWorkplaceFileName, kMaxWorkplaceFileBytes);
    if (!bytes) return {};
    return ParseWorkplace(std::string(bytes->begin(), bytes->end()));
}

bool WriteWorkplaceFile(const std::string& folder, const Workplace& workplace) {
    if (folder.empty()) return false;
    std::error_code ignored;  // a folder that cannot be made fails the write below
    std::filesystem::create_directories(folder, ignored);
    const std::string text = WorkplaceText(workplace);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    return WriteFileBytes(folder + kWorkplaceFileName, bytes);
}

}  // namespace morvel
