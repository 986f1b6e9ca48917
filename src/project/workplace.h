#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace morvel {

// The window's workplace as the user left it, kept between runs in its own file beside the
// settings file (which keeps only the language, as every version reads it). Each field is
// optional: one that is missing or damaged in the file is unset, and its default applies.
constexpr const char* kWorkplaceFileName = "morvel_workplace.dat";

// How many recent projects the "Projekt" menu lists, and how many projects' zooms are kept.
constexpr std::size_t kRecentProjectCount = 10;
constexpr std::size_t kRememberedZoomCount = 100;

struct WindowPlaceField {
    int x = 0;
    int y = 0;
    int width = 0;   // the client area with the menu bar, as the window plan counts it
    int height = 0;
    bool operator==(const WindowPlaceField&) const = default;
};

// A project's zoom: the whole picture ("fit"), or a zoom factor with its offsets.
struct ProjectZoom {
    std::string project;  // the project file's path
    bool fit = true;
    float zoom = 1.0f;
    int offsetX = 0;  // as the view's offsets
    int offsetY = 0;
    bool operator==(const ProjectZoom&) const = default;
};

// The last folder of one file requester, by the requester's name.
struct RequesterFolder {
    std::string requester;
    std::string folder;  // ends with "/"
    bool operator==(const RequesterFolder&) const = default;
};

struct Workplace {
    std::optional<WindowPlaceField> window;
    std::optional<int> brushSize;     // 1..150
    std::optional<int> hardness;      // 0..100
    std::optional<int> brushShape;    // 6 round, 7 square
    std::optional<int> transparency;  // 0..100, as its spin field shows it
    std::vector<RequesterFolder> folders;
    std::vector<std::string> recentProjects;  // newest first
    std::vector<ProjectZoom> zooms;           // newest first

    bool operator==(const Workplace&) const = default;

    // The folder a requester opens in: its last one, else the project's folder ("" for none).
    std::string folderFor(const std::string& requester, const std::string& projectFile) const;
    // Keeps the folder of a path the requester gave back.
    void rememberFolder(const std::string& requester, const std::string& chosenPath);
    // Puts the project first among the recent ones (at most kRecentProjectCount).
    void rememberProject(const std::string& projectFile);
    // The project's zoom, or none for a project not seen before.
    const ProjectZoom* zoomOf(const std::string& projectFile) const;
    // Keeps the project's zoom first (at most kRememberedZoomCount).
    void rememberZoom(const ProjectZoom& zoom);
};

// Ranges of the remembered tool settings.
constexpr int kMinBrushSize = 1;
constexpr int kMaxBrushSize = 150;

// The workplace of the file in folder (ends with "/"). Lines that cannot be read, values out of
// range, folders that no longer exist and projects whose file is gone are left out, each on its
// own; a missing or unreadable file gives an empty workplace.
Workplace ReadWorkplaceFile(const std::string& folder);

// Replaces the file by the workplace (written whole or not at all). Nothing is written without a
// folder; the result is for tests: a failure only loses the workplace of this run.
bool WriteWorkplaceFile(const std::string& folder, const Workplace& workplace);

// The file's text and its reading, without the file.
std::string WorkplaceText(const Workplace& workplace);
Workplace ParseWorkplace(const std::string& text);

}  // namespace morvel
