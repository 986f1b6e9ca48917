#include "project/services.h"

#include <utility>

namespace morvel {

Services::Services(Shell& shell, std::string programFolder)
    : Services(shell, FilesBesideProgram(programFolder)) {}

Services::Services(Shell& shell, ProgramFiles files)
    : shell(shell), files(std::move(files)), programFolder(this->files.programFolder) {}

}  // namespace morvel
