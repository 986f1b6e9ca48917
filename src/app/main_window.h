#pragma once

#include "app/program.h"
#include "platform/main_window_plan.h"

namespace morvel {

// The smallest client area the layout keeps.
constexpr int kMinClientWidth = 300;
constexpr int kMinClientHeight = 350;

// The main window in the language in use: gadgets, menus, shortcuts and title.
MainWindowPlan MainWindowPlanFor(const Program& state);

// Builds (or rebuilds) the main window and shows it: the tools and options at their start
// values (eraser, zoom 1, the tool bar as the workplace remembers it, else a round brush of size
// 10, transparency and hardness 100) at the remembered place, laid out, the frame strip
// filled and its first frame shown. A window that cannot be opened is reported and sets
// state.services.mustEnd; the result is then false.
bool BuildMainWindow(Program& state);

// Gives the window the texts of the language in use in place: the project with its history, the
// view, the tool bar and the window's place stay as they are.
void RetextMainWindow(Program& state);

// Keeps the client area at least 300 x 350, makes the canvas buffer fill the space the canvas
// has, places the scroll bars, the layer-rows picture and the frame strip around it, and
// redraws. A canvas buffer that cannot be made is reported and sets state.services.mustEnd.
void LayoutMainWindow(Program& state);

}  // namespace morvel
