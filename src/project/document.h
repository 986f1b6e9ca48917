#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/grey_image.h"
#include "platform/image.h"
#include "project/frame_id.h"
#include "project/frame_list.h"

namespace morvel {

// The six strings of the project header; all empty in a new project.
struct ProjectHeader {
    std::string projectFilePath;
    std::string title;
    std::string author;
    std::string comment;  // lines separated by CR LF
    std::string maskTemplate;
    std::string frameTemplate;  // empty: pictures are not copied on save
};

// "morvel" + n in upper-case hexadecimal without leading zeros + ".tmp".
std::string MaskWorkingFileName(std::int32_t n);

// The masks' working files: the folder they live in and the number the next new mask takes.
class MaskStore {
public:
    // folder ends with "/".
    explicit MaskStore(std::string folder) : m_folder(std::move(folder)) {}

    const std::string& folder() const { return m_folder; }
    // The working file of mask n.
    std::string workingFile(std::int32_t n) const { return m_folder + MaskWorkingFileName(n); }

    std::int32_t nextNumber = 1;

private:
    std::string m_folder;
};

// Masks whose working file could not be written (a full disk), by number. The pictures are
// never changed once kept, so worker threads may read them while the session keeps others.
using MasksInMemory = std::map<std::int32_t, std::shared_ptr<const GreyImage>>;

// The files one frame is composed from (empty: none): its layer sources and its mask's working
// file. Plain strings, so that worker threads never look at the frame list; and the mask's
// picture when it is kept in memory, which stands for what the working file holds.
struct FrameFiles {
    std::array<std::string, 2> layers;
    std::string mask;
    std::shared_ptr<const GreyImage> maskInMemory;

    // File k: 0 and 1 the layers, 2 the mask.
    const std::string& operator[](int k) const { return k < 2 ? layers[k] : mask; }
    bool contains(const std::string& file) const {
        return layers[0] == file || layers[1] == file || mask == file;
    }
    bool operator==(const FrameFiles&) const = default;
};

// The film's sound track: a sound file and the film frame (from 0) its start plays with; a
// negative offset starts the film that many frames into the sound. No track when file is empty.
struct SoundTrack {
    std::string file;
    std::int32_t offset = 0;

    bool empty() const { return file.empty(); }
    bool operator==(const SoundTrack&) const = default;
};

// The largest offset either way: as many frames as a project may have.
constexpr std::int32_t kMaxSoundOffset = 1000000;

// What a project is: its header, its frames and their masks, and its sound track.
struct Document {
    explicit Document(std::string workingFolder) : masks(std::move(workingFolder)) {}

    ProjectHeader header;
    FrameList frames;
    MaskStore masks;
    SoundTrack sound;
};

// The one place that names a frame's files; with the masks kept in memory, a kept mask's
// picture comes with its working file.
FrameFiles FilesOf(const MaskStore& masks, const FrameRecord& frame,
                   const MasksInMemory* inMemory = nullptr);
inline FrameFiles FilesOf(const Document& document, const FrameRecord& frame,
                          const MasksInMemory* inMemory = nullptr) {
    return FilesOf(document.masks, frame, inMemory);
}

}  // namespace morvel
