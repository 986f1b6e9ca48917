#include "test_support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/files.h"

namespace morvel::testing {

TempFolder::TempFolder() {
    std::string pattern = TemporaryFolder() + "morvel-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern + "/";
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Give read-only folders made by a test their permissions back so they can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempFolder::write(const std::string& name, const std::string& content) const {
    return write(name, std::vector<std::uint8_t>(content.begin(), content.end()));
}

std::string TempFolder::write(const std::string& name,
                              const std::vector<std::uint8_t>& content) const {
    const std::string path = m_path + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (!WriteFileBytes(path, content)) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace morvel::testing
