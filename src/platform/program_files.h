#pragma once

#include <string>
#include <vector>

namespace morvel {

// The user's folders for data and configuration: $XDG_DATA_HOME and $XDG_CONFIG_HOME when they
// are set to absolute paths, else ~/.local/share and ~/.config. Both end with "/"; empty when
// neither the variable nor HOME is set.
std::string UserDataFolder();
std::string UserConfigFolder();

// Where the program's own files lie. Every folder ends with "/" (or is empty: nothing there).
struct ProgramFiles {
    std::string programFolder;  // the folder of the running executable
    std::string libraryFolder;  // AVIServ.so
    std::string dataFolder;     // the tutorial page
    // Folders of language files; a later one wins when two hold a language of the same name.
    std::vector<std::string> languageFolders;
    std::string settingsFolder;  // the settings file; created when it is written
};

// Everything in one folder, as the build folder holds it.
ProgramFiles FilesBesideProgram(const std::string& folder);

// The files of a program whose executable lies in executableFolder. The build folder holds the
// programs beside AVIServ.so and keeps everything there. An installed program (bin/ of a prefix)
// finds its library in ../lib/morvel/, its data in ../share/morvel/ with the language files in
// its languages/, further language files in the user's data folder (morvel/languages/), and
// keeps its settings in the user's configuration folder (morvel/).
ProgramFiles FindProgramFiles(const std::string& executableFolder);

}  // namespace morvel
