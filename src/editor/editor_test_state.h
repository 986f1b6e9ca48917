#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/project_test_state.h"

namespace morvel {

// What a test of the editor works on: the parts of the program, made as the program makes them
// (workingFolder and programFolder end with "/").
struct EditorTestState : ProjectTestState {
    using ProjectTestState::ProjectTestState;

    EditSession session;
    View view;
};

}  // namespace morvel
