#include "session/moved_pictures.h"

#include <sys/stat.h>

#include <algorithm>
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

// The folder and its folders one level below, each with the names of names it holds.
std::vector<FolderCandidate> foldersHolding(const std::string& root,
                                            const std::vector<std::string>& names) {
    std::vector<std::string> folders{root};
    for (const FolderEntry& entry : ListFolder(root))
        if (!entry.isFile) folders.push_back(root + entry.name + "/");
    std::vector<FolderCandidate> found;
    for (const std::string& folder : folders) {
        FolderCandidate candidate{folder, {}, 0};
        for (const std::string& name : names) {
            if (!IsRegularFile(folder + name)) continue;
            if (candidate.count++ == 0) candidate.picture = folder + name;
        }
        if (candidate.count > 0) found.push_back(std::move(candidate));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.count != b.count ? a.count > b.count : a.folder < b.folder;
    });
    return found;
}

// The missing pictures by the folder they were shot into: one shoot is found again as a whole.
class ShootSearch {
public:
    void add(std::string& source) {
        const std::string file = SourceFile(source);
        const std::vector<std::string> parts = components(file);
        if (parts.empty()) return;
        const std::size_t nameStart = file.size() - parts.back().size();
        m_shoots[file.substr(0, nameStart)].push_back(&source);
        ++m_count;
    }
    bool empty() const { return m_count == 0; }
    int count() const { return m_count; }
    void tellAll(std::set<std::string>& told) const {
        for (const auto& [shoot, sources] : m_shoots)
            for (const std::string* source : sources) told.insert(*source);
    }

    // Looks for each shoot's pictures by name in root and its folders one level below. A single
    // folder holding more of them than any other is taken when the user chose root; otherwise
    // the user chooses among the folders (a program without a window refuses and names them).
    void offerCandidates(const std::string& root, Services& services, std::set<std::string>& told,
                         bool chosenRoot) {
        const LanguageTable& texts = services.language.texts;
        for (auto shoot = m_shoots.begin(); shoot != m_shoots.end();) {
            std::vector<std::string> names;
            for (const std::string* source : shoot->second)
                names.push_back(components(SourceFile(*source)).back());
            std::vector<FolderCandidate> candidates = foldersHolding(root, names);
            if (candidates.empty()) {
                ++shoot;
                continue;
            }
            int chosen = 0;
            const bool single = candidates.size() == 1 || candidates[1].count < candidates[0].count;
            if (!(chosenRoot && single)) {
                if (chosenRoot) {  // only the best ones are in question
                    const int best = candidates[0].count;
                    std::erase_if(candidates, [best](const auto& c) { return c.count < best; });
                }
                const std::string text =
                    ReplaceAll(ReplaceAll(texts[Text::RequesterChooseshoot], "$NR",
                                          std::to_string(shoot->second.size())),
                               "$FILE", shoot->first);
                chosen = services.shell.chooseFolder(texts[Text::RequesterSessiontitle], text,
                                                     candidates);
                for (const std::string* source : shoot->second) told.insert(*source);
                if (chosen < 0 || chosen >= static_cast<int>(candidates.size())) {
                    ++shoot;
                    continue;
                }
            }
            const std::string& folder = candidates[chosen].folder;
            std::vector<std::string*> left;
            for (std::string* source : shoot->second) {
                const std::string file = folder + components(SourceFile(*source)).back();
                if (!IsRegularFile(file)) {
                    left.push_back(source);
                    continue;
                }
                told.erase(*source);
                *source = WithSourceFile(*source, file);
                ++relinked[folder];
                --m_count;
            }
            if (left.empty()) {
                shoot = m_shoots.erase(shoot);
            } else {
                shoot->second = std::move(left);
                ++shoot;
            }
        }
    }

    // Where pictures were found again, a line per folder; "" when nowhere.
    std::string report(const LanguageTable& texts) const {
        if (relinked.empty()) return {};
        std::string text = texts[Text::RequesterRelinked];
        for (const auto& [folder, count] : relinked)
            text += "\r\n" + folder + " (" + std::to_string(count) + ")";
        return text;
    }

    std::map<std::string, int> relinked;  // folder -> pictures found there

private:
    std::map<std::string, std::vector<std::string*>> m_shoots;  // old folder -> its sources
    int m_count = 0;
};

}  // namespace

std::string SourceFile(const std::string& source) {
    return source.substr(fileStart(source));
}

std::string WithSourceFile(const std::string& source, const std::string& file) {
    return source.substr(0, fileStart(source)) + file;
}

int TrailingMatch(const std::string& path, const std::string& found) {
    const std::vector<std::string> a = components(path);
    const std::vector<std::string> b = components(found);
    int n = 0;
    while (n < static_cast<int>(std::min(a.size(), b.size())) &&
           a[a.size() - 1 - n] == b[b.size() - 1 - n])
        ++n;
    return n;
}

std::string FindByTrailingComponents(const std::string& path, const std::string& projectFolder) {
    const std::vector<std::string> parts = components(path);
    for (std::size_t first = 0; first < parts.size(); ++first) {
        std::string candidate = projectFolder;
        for (std::size_t i = first; i < parts.size(); ++i)
            candidate += (i > first ? "/" : "") + parts[i];
        // A file name alone is no evidence: every camera card holds an IMG_0001.JPG.
        if (IsRegularFile(candidate) && TrailingMatch(path, candidate) >= 2) return candidate;
    }
    return {};
}

int LastFrameWithPictureBefore(const ProjectFileContents& contents, int first,
                               const std::string& projectFolder) {
    const int count = static_cast<int>(contents.frames.size());
    for (int j = std::min(first, count) - 1; j > 0; --j) {
        for (const std::string& source : contents.frames[static_cast<std::size_t>(j)].layerSource) {
            if (source.empty()) continue;
            const std::string file = SourceFile(source);
            if (present(file) || !FindByTrailingComponents(file, projectFolder).empty()) return j;
        }
    }
    return 0;
}

RelinkResult RelinkMovedPictures(Document& document, Services& services,
                                 ProjectFileContents& contents, int from, int to) {
    const std::string projectFolder = FolderPart(document.header.projectFilePath);
    ShootSearch search;
    const int count = static_cast<int>(contents.frames.size());
    const int end = to < 0 ? count : std::min(to + 1, count);
    for (int i = std::max(from, 0); i < end; ++i) {
        for (std::string& source : contents.frames[static_cast<std::size_t>(i)].layerSource) {
            if (source.empty() || present(SourceFile(source))) continue;
            const std::string found = FindByTrailingComponents(SourceFile(source), projectFolder);
            if (found.empty()) {
                search.add(source);
            } else {
                search.relinked[FolderPart(found)] += 1;
                source = WithSourceFile(source, found);
            }
        }
    }
    // The sound track is found again beside the project; one still missing is told on its own.
    std::string& sound = contents.sound.file;
    if (!sound.empty() && !present(sound)) {
        const std::string found = FindByTrailingComponents(sound, projectFolder);
        if (!found.empty()) sound = found;
    }
    std::set<std::string> told;
    const LanguageTable& texts = services.language.texts;
    const bool window = services.makeThumbnails;
    std::string folder = services.pictureSearchFolder;
    if (!search.empty() && folder.empty()) {
        // Pictures of the same names beside the project are candidates only: the user says.
        search.offerCandidates(projectFolder, services, told, false);
        if (!search.empty() && window) {
            const std::string question = ReplaceAll(texts[Text::RequesterMissingpictures], "$NR",
                                                    std::to_string(search.count()));
            if (services.shell.ask(texts[Text::RequesterSessiontitle], question) == Answer::Yes)
                folder = services.shell.requestFolder(texts[Text::RequesterSearchfolder]);
            search.tellAll(told);
        }
    }
    if (!search.empty() && !folder.empty()) {
        if (folder.back() != '/') folder += '/';
        // The folder the user named is their choice of shoot: a single best folder in it is taken.
        search.offerCandidates(folder, services, told, true);
    }
    std::set<std::string> missing;
    search.tellAll(missing);
    return {told, std::move(missing), search.report(texts)};
}

}  // namespace morvel
