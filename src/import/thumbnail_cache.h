#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/image.h"

namespace morvel {

// The freedesktop thumbnail cache, shared with file managers: 128-pixel PNG pictures in
// $XDG_CACHE_HOME/thumbnails/normal/, named by the MD5 sum of the picture file's URI and valid
// while their Thumb::URI and Thumb::MTime match the file.
class ThumbnailCache {
public:
    static constexpr int kSide = 128;

    // The cache of the "normal" size in that folder; an empty folder turns the cache off.
    explicit ThumbnailCache(std::string folder) : m_folder(std::move(folder)) {}
    // $XDG_CACHE_HOME/thumbnails/normal, with ~/.cache for an unset XDG_CACHE_HOME.
    static ThumbnailCache FromEnvironment();

    // The cached picture of the file, when an entry that fits it exists. Entries that are no
    // PNG, too large, lack the keys, belong to another user or are symbolic links are ignored.
    std::optional<Image> find(const std::string& path) const;

    // Writes the entry of the file from its picture, made at most 128 pixels on its longer side.
    // Returns that cache picture, made even when the entry cannot be written.
    Image store(const std::string& path, const Image& picture) const;

    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
};

// The picture of a cache entry's bytes: a PNG of at most 128 x 128 pixels whose keys name this
// URI and modification time, and whose image data unpacks to no more than such a picture needs.
// Nothing for anything else.
std::optional<Image> ReadThumbnailEntry(std::span<const std::uint8_t> png, const std::string& uri,
                                        const std::string& modificationTime);

// "file://" and the absolute path, with the bytes that a URI path may not hold escaped.
std::string FileUri(const std::string& path);

// The picture scaled to at most 128 x 128 with its aspect ratio kept; smaller ones stay as they
// are.
Image CachePicture(const Image& picture);

}  // namespace morvel
