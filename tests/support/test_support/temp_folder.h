#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvel::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away. path() ends with "/".
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + name; }
    // Writes a file below the folder and returns its path.
    std::string write(const std::string& name, const std::string& content) const;
    std::string write(const std::string& name, const std::vector<std::uint8_t>& content) const;

private:
    std::string m_path;
};

std::string ReadText(const std::string& path);

}  // namespace morvel::testing
