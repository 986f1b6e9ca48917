#include "import/thumbnail_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "import/thumbnail.h"
#include "platform/md5.h"
#include "codecs/png_chunks.h"
#include "codecs/png_codec.h"
#include "platform/private_files.h"

namespace morvel {

namespace {

// A 128-pixel picture, even with text and alpha, stays far below this.
constexpr std::size_t kMaxEntryBytes = std::size_t{1} << 20;
// Its rows unpack to at most 128 x (1 + 128 x 8) bytes (16-bit RGBA), a little more interlaced;
// a stream that unpacks to more is a decompression bomb, not a thumbnail.
constexpr std::size_t kMaxUnpackedEntryBytes = std::size_t{256} << 10;

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::vector<char> folder(4096);
    if (!::getcwd(folder.data(), folder.size())) return path;
    return std::string(folder.data()) + "/" + path;
}

// The file's modification time in whole seconds, as the cache's keys hold it.
std::optional<std::string> modificationTime(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return std::to_string(static_cast<long long>(info.st_mtime));
}

std::string entryName(const std::string& uri) {
    return Md5Hex(uri) + ".png";
}

// The header's size, read before anything is decoded: a cache picture is never larger.
bool smallPicture(std::span<const std::uint8_t> png) {
    if (png.size() < 24 || ReadBigEndian32(png.data() + 12) != PngChunkType("IHDR")) return false;
    const std::uint32_t width = ReadBigEndian32(png.data() + 16);
    const std::uint32_t height = ReadBigEndian32(png.data() + 20);
    return width >= 1 && height >= 1 && width <= ThumbnailCache::kSide &&
           height <= ThumbnailCache::kSide;
}

}  // namespace

ThumbnailCache ThumbnailCache::FromEnvironment() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    std::string root;
    if (cache && cache[0] == '/') {
        root = cache;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        root = std::string(home) + "/.cache";
    } else {
        return ThumbnailCache("");
    }
    return ThumbnailCache(root + "/thumbnails/normal");
}

std::string FileUri(const std::string& path) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : absolutePath(path)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') ||
                           std::string_view("-._~!$&'()*+,=:@/").find(c) != std::string_view::npos;
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kDigits[c >> 4];
            uri += kDigits[c & 15];
        }
    }
    return uri;
}

Image CachePicture(const Image& picture) {
    const int w = picture.width();
    const int h = picture.height();
    if (w <= ThumbnailCache::kSide && h <= ThumbnailCache::kSide) return picture;
    const int side = ThumbnailCache::kSide;
    const int width = w >= h ? side : std::max(1, (w * side + h / 2) / h);
    const int height = w >= h ? std::max(1, (h * side + w / 2) / w) : side;
    return ScalePicture(picture, width, height);
}

std::optional<Image> ThumbnailCache::find(const std::string& path) const {
    if (m_folder.empty()) return std::nullopt;
    const std::optional<std::string> mtime = modificationTime(path);
    if (!mtime) return std::nullopt;
    const std::string uri = FileUri(path);
    const auto bytes = ReadOwnFile(m_folder + "/" + entryName(uri), kMaxEntryBytes);
    if (!bytes) return std::nullopt;
    return ReadThumbnailEntry(*bytes, uri, *mtime);
}

std::optional<Image> ReadThumbnailEntry(std::span<const std::uint8_t> png, const std::string& uri,
                                        const std::string& modificationTime) {
    if (png.size() > kMaxEntryBytes || !smallPicture(png)) return std::nullopt;
    if (FindPngText(png, "Thumb::URI") != uri ||
        FindPngText(png, "Thumb::MTime") != modificationTime)
        return std::nullopt;
    if (!PngImageDataFits(png, kMaxUnpackedEntryBytes)) return std::nullopt;
    Image picture;
    if (DecodePng(png, picture) != LoadResult::Ok) return std::nullopt;
    return picture;
}

Image ThumbnailCache::store(const std::string& path, const Image& picture) const {
    Image small = CachePicture(picture);
    struct stat info {};
    if (m_folder.empty() || small.empty() || ::stat(path.c_str(), &info) != 0) return small;
    const std::string uri = FileUri(path);
    std::vector<std::uint8_t> png;
    const bool encoded =
        EncodePngWithText(small,
                          {{"Thumb::URI", uri},
                           {"Thumb::MTime", std::to_string(static_cast<long long>(info.st_mtime))},
                           {"Thumb::Size", std::to_string(static_cast<long long>(info.st_size))},
                           {"Software", "Morvel"}},
                          png);
    if (encoded && MakePrivateFolder(m_folder)) WritePrivateFile(m_folder, entryName(uri), png);
    return small;
}

}  // namespace morvel
