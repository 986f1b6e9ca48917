#pragma once

#include <string>
#include <utility>

#include "platform/shell.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// What a test below the editor works on: the document and the services, made as the program
// makes them (workingFolder and programFolder end with "/").
struct ProjectTestState {
    ProjectTestState(Shell& shell, std::string workingFolder, std::string programFolder)
        : services(shell, std::move(programFolder)), document(std::move(workingFolder)) {}

    Services services;
    Document document;
};

}  // namespace morvel
