#pragma once

#include <string>
#include <utility>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "platform/shell.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// What a test of the editor works on: the parts of the program, made as the program makes them
// (workingFolder and programFolder end with "/").
struct EditorTestState {
    EditorTestState(Shell& shell, std::string workingFolder, std::string programFolder)
        : services(shell, std::move(programFolder)), document(std::move(workingFolder)) {}

    Services services;
    Document document;
    EditSession session;
    View view;
};

}  // namespace morvel
