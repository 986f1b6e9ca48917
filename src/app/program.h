#pragma once

#include <string>

#include "app/film_sound.h"
#include "editor/edit_session.h"
#include "editor/view.h"
#include "platform/program_files.h"
#include "platform/shell.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// The whole program: the document, its editing, the view of it, and what the program works with.
// main() creates one, every test of the window its own; the code below the window is handed
// only the parts it needs.
struct Program {
    // workingFolder (where the masks' working files lie) and programFolder end with "/". Without
    // ProgramFiles, all of the program's files lie in programFolder.
    Program(Shell& shell, std::string workingFolder, std::string programFolder)
        : services(shell, std::move(programFolder)), document(std::move(workingFolder)) {}
    Program(Shell& shell, std::string workingFolder, ProgramFiles files)
        : services(shell, std::move(files)), document(std::move(workingFolder)) {}

    Services services;
    Document document;
    EditSession session;
    View view;
    FilmSound sound;  // the track's samples and waveform while the program runs
};

}  // namespace morvel
