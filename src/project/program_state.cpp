#include "project/program_state.h"

#include <utility>

namespace morvel {

namespace {

Image blackWorkImage() {
    auto image = Image::create(640, 480);
    return image ? std::move(*image) : Image();
}

}  // namespace

ProgramState::ProgramState(Shell& shell, std::string workingFolder, std::string programFolder)
    : ProgramState(shell, std::move(workingFolder), FilesBesideProgram(programFolder)) {}

ProgramState::ProgramState(Shell& shell, std::string workingFolder, ProgramFiles files)
    : shell(shell),
      document(std::move(workingFolder)),
      files(std::move(files)),
      programFolder(this->files.programFolder) {
    images.composite = blackWorkImage();
    images.canvas = blackWorkImage();
    images.layer1 = blackWorkImage();
    images.layer2 = blackWorkImage();
    images.mask = blackWorkImage();
}

}  // namespace morvel
