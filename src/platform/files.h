#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace morvel {

// Largest file the program reads into memory at once (pictures, masks, project files).
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

// The whole content of a regular file, or nothing when it cannot be read, is not a regular file
// (folders, FIFOs and devices are refused without blocking) or is larger than maxBytes.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path,
                                                       std::size_t maxBytes = kMaxFileBytes);

// Creates or replaces the file with these bytes. False when anything fails, including a full
// disk noticed only when the file is closed; an existing file then keeps its old content.
bool WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);

// Hands a piece of a file's content over to be written; false when writing failed.
using FilePut = std::function<bool(std::span<const std::uint8_t> piece)>;

// The same for content made piece by piece, so that a large file need not be held in memory:
// produce calls put for each piece in order and returns false to give up (the file then stays
// as it was).
bool WriteFileProduced(const std::string& path,
                       const std::function<bool(const FilePut& put)>& produce);

// A file written completely beside its target under a temporary name, and put in place by
// commit(). Several can be written first and committed together once all succeeded; one not
// committed is removed when the object goes away.
class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile() { discard(); }
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Writes the bytes beside target. False, leaving nothing behind, when target exists and is
    // no regular file or when anything fails (a full disk included).
    bool write(const std::string& target, std::span<const std::uint8_t> bytes);
    // The same for content made piece by piece (see WriteFileProduced).
    bool writeProduced(const std::string& target,
                       const std::function<bool(const FilePut& put)>& produce);
    // Puts the written file in place of its target. False when that fails; the target then
    // keeps its old content.
    bool commit();
    void discard();
    const std::string& target() const { return m_target; }

private:
    std::string m_target;
    std::string m_temporary;  // empty: nothing written or already committed
};

// Staging files are hidden files beside their targets: "." + the target's name + kStagingMark +
// six random characters. A save or export killed on the way leaves them behind.
constexpr const char* kStagingMark = ".morvel-";
std::string StagingPattern(const std::string& target);  // ends in "XXXXXX" for mkostemp
bool IsStagingName(const std::string& name);
// Removes the staging files a killed run left in folder, the first time this program stages a
// file there (later ones are its own, still being written).
void RemoveLeftoverStagingFiles(const std::string& folder);

// True when WriteFileBytes could create or replace the file: its folder takes new files.
bool CanWriteFile(const std::string& path);

// Copies a regular file onto target, replacing it. False when anything fails.
bool CopyFileBytes(const std::string& source, const std::string& target);

// Makes target a symbolic link to source (by its absolute path), replacing target; only when
// source is a regular file that can be opened for reading, as CopyFileBytes would read it.
// Whoever writes target then writes source: only for files that are read, never written.
bool LinkReadableFile(const std::string& source, const std::string& target);

bool IsRegularFile(const std::string& path);
bool IsFolder(const std::string& path);

// Creates one folder level; an existing folder is fine.
bool MakeFolder(const std::string& path);

// Names (not paths) of the entries of a folder, in the order the file system lists them.
struct FolderEntry {
    std::string name;
    bool isFile = false;
};
std::vector<FolderEntry> ListFolder(const std::string& folder);

// The full path of the running executable ("" when the system does not tell), and its folder,
// ending with "/".
std::string ExecutablePath();
std::string ExecutableFolder();

// The system's temporary folder (honours TMPDIR), canonical, ending with "/".
std::string TemporaryFolder();

// The text up to and including the last "/" (empty when there is none), and the text after it.
std::string FolderPart(const std::string& path);
std::string FilePart(const std::string& path);

}  // namespace morvel
