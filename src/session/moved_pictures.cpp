#include "session/moved_pictures.h"

#include <sys/stat.h>

#include <map>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace morvel {

namespace {

constexpr std::string_view kAviMarker = "$AVI$";

// Something at the path, whatever it is: only what is not there at all has moved.
bool present(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The position where the file begins in a source.
std::size_t fileStart(const std::string& source) {
    if (source.rfind(kAviMarker, 0) != 0) return 0;
    const std::size_t dollar = source.find('$', kAviMarker.size());
    return dollar == std::string::npos ? 0 : dollar + 1;
}

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path) {
        if (c == '/' || c == '\\') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

// File name -> path, for the files of folder and of its folders one level below.
std::map<std::string, std::string> filesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (entry.isFile) {
            files.emplace(entry.name, folder + entry.name);
            continue;
        }
        const std::string below = folder + entry.name + "/";
        for (const FolderEntry& inner : ListFolder(below))
            if (inner.isFile) files.emplace(inner.name, below + inner.name);
    }
    return files;
}

}  // namespace

std::string SourceFile(const std::string& source) {
    return source.substr(fileStart(source));
}

std::string WithSourceFile(const std::string& source, const std::string& file) {
    return source.substr(0, fileStart(source)) + file;
}

std::string FindByTrailingComponents(const std::string& path, const std::string& projectFolder) {
    const std::vector<std::string> parts = components(path);
    for (std::size_t first = 0; first < parts.size(); ++first) {
        std::string candidate = projectFolder;
        for (std::size_t i = first; i < parts.size(); ++i)
            candidate += (i > first ? "/" : "") + parts[i];
        if (IsRegularFile(candidate)) return candidate;
    }
    return {};
}

std::set<std::string> RelinkMovedPictures(Document& document, Services& services,
                                          ProjectFileContents& contents) {
    const std::string projectFolder = FolderPart(document.header.projectFilePath);
    std::vector<std::string*> missing;
    for (ProjectFileFrame& frame : contents.frames) {
        for (std::string& source : frame.layerSource) {
            if (source.empty() || present(SourceFile(source))) continue;
            const std::string found = FindByTrailingComponents(SourceFile(source), projectFolder);
            if (found.empty()) {
                missing.push_back(&source);
            } else {
                source = WithSourceFile(source, found);
            }
        }
    }
    std::set<std::string> told;
    if (missing.empty()) return told;
    std::string folder = services.pictureSearchFolder;
    if (folder.empty() && services.makeThumbnails) {
        const LanguageTable& texts = services.language.texts;
        const std::string question = ReplaceAll(texts[Text::RequesterMissingpictures], "$NR",
                                                std::to_string(missing.size()));
        if (services.shell.ask(texts[Text::RequesterSessiontitle], question) == Answer::Yes)
            folder = services.shell.requestFolder(texts[Text::RequesterSearchfolder]);
        for (const std::string* source : missing) told.insert(*source);
    }
    if (folder.empty()) return told;
    if (folder.back() != '/') folder += '/';
    const std::map<std::string, std::string> files = filesIn(folder);
    for (std::string* source : missing) {
        const std::vector<std::string> parts = components(SourceFile(*source));
        const auto found = parts.empty() ? files.end() : files.find(parts.back());
        if (found == files.end()) continue;
        told.erase(*source);
        *source = WithSourceFile(*source, found->second);
    }
    return told;
}

}  // namespace morvel
