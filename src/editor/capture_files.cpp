#include "editor/capture_files.h"

#include <cstdio>
#include <cstdlib>

#include "platform/files.h"
#include "project/name_template.h"

namespace morvel {

namespace {

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

std::string ProjectNameForCaptures(const Document& document, const std::string& untitledName) {
    const std::string& path = document.header.projectFilePath;
    return ReplaceExtension(FilePart(path.empty() ? untitledName : path), "");
}

std::string UserPicturesFolder() {
    std::string folder;
    if (FILE* pipe = ::popen("xdg-user-dir PICTURES 2>/dev/null", "r")) {
        char line[4096];
        if (std::fgets(line, sizeof line, pipe)) folder = line;
        ::pclose(pipe);
    }
    while (!folder.empty() && (folder.back() == '\n' || folder.back() == '/')) folder.pop_back();
    if (folder.empty() || !IsFolder(folder)) {
        const char* home = std::getenv("HOME");
        folder = home ? home : "";
    }
    return withSlash(folder.empty() ? TemporaryFolder() : folder);
}

std::string CaptureFolder(const Document& document, const Shooting& shooting,
                          const std::string& untitledName) {
    if (!shooting.settings.folder.empty()) return withSlash(shooting.settings.folder);
    const std::string& project = document.header.projectFilePath;
    const std::string parent = project.empty() ? shooting.picturesFolder : FolderPart(project);
    return withSlash(parent + ProjectNameForCaptures(document, untitledName));
}

std::string CaptureStem(const std::string& folder, const std::string& projectName,
                        const CaptureSettings& settings, int position, int layer) {
    // The template's folder is the capture folder: a project path there gives "$Project".
    const std::string stem = ExpandNameTemplate(settings.nameTemplate, position + 1, 4,
                                                folder + projectName, layer, "");
    std::string candidate = stem;
    for (int n = 2; IsRegularFile(candidate + ".jpg") || IsRegularFile(candidate + ".png"); ++n)
        candidate = stem + "_" + std::to_string(n);
    return candidate;
}

}  // namespace morvel
