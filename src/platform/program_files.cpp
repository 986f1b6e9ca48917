#include "platform/program_files.h"

#include <cstdlib>

#include "platform/files.h"

namespace morvel {

namespace {

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string xdgFolder(const char* variable, const char* belowHome) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return withSlash(value);  // relative values are to be ignored
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    return withSlash(home) + belowHome;
}

// "" stays "" (no such folder), anything else gets the subfolder.
std::string below(const std::string& folder, const char* subfolder) {
    return folder.empty() ? folder : folder + subfolder;
}

}  // namespace

std::string UserDataFolder() {
    return xdgFolder("XDG_DATA_HOME", ".local/share/");
}

std::string UserConfigFolder() {
    return xdgFolder("XDG_CONFIG_HOME", ".config/");
}

ProgramFiles FilesBesideProgram(const std::string& folder) {
    return {folder, folder, folder, {folder}, folder};
}

ProgramFiles FindProgramFiles(const std::string& executableFolder) {
    if (IsRegularFile(executableFolder + "AVIServ.so")) return FilesBesideProgram(executableFolder);
    const std::string prefix = executableFolder + "../";
    const std::string data = prefix + "share/morvel/";
    return {executableFolder,
            prefix + "lib/morvel/",
            data,
            {data + "languages/", below(UserDataFolder(), "morvel/languages/")},
            below(UserConfigFolder(), "morvel/")};
}

}  // namespace morvel
