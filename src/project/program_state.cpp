#include "project/program_state.h"

#include <cstdio>
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
      workingFolder(std::move(workingFolder)),
      files(std::move(files)),
      programFolder(this->files.programFolder) {
    images.composite = blackWorkImage();
    images.canvas = blackWorkImage();
    images.layer1 = blackWorkImage();
    images.layer2 = blackWorkImage();
    images.mask = blackWorkImage();
}

std::string MaskWorkingFileName(std::int32_t n) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(n));
    return std::string("morvel") + hex + ".tmp";
}

std::string ProgramState::maskWorkingFile(std::int32_t n) const {
    return workingFolder + MaskWorkingFileName(n);
}

}  // namespace morvel
