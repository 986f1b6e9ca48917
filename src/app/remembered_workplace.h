#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "project/folder_keeping_dialogs.h"

namespace morvel {

// The file requesters of one operation: they open where that requester was last left, else in
// the open project's folder, and remember where the user went.
FolderKeepingDialogs RequesterDialogs(Program& state, const char* requester);

// Reads the workplace kept beside the settings file into the services.
void LoadWorkplace(Program& state);
// Takes the window's place and the tool bar's settings into the workplace and writes it.
void SaveWorkplace(Program& state);

// The tool bar's settings the window starts with: the remembered ones, else the defaults.
ToolSettings StartToolSettings(const Workplace& workplace);
// The transparency spin field's value of the eraser's grey.
int TransparencyOfEraseGrey(int eraseGrey);
// The remembered window place when enough of it, its title bar included, lies on one of the
// screens (any place when the screens are unknown).
std::optional<ScreenRect> StartWindowPlace(const Workplace& workplace,
                                           const std::vector<ScreenRect>& screens);

// Shows the project just opened at its remembered zoom: "Ganzes Bild" the first time, or when
// what was kept is out of range.
void ShowRememberedZoom(Program& state);

// After each event: the project open now (opened or saved under a new name) becomes the first
// recent project, and its zoom is kept. The menu is rebuilt when the list changed.
void FollowWorkplace(Program& state);

// Opens the recent project at place (0 = newest) as "Öffnen ..." would; a project file that is
// gone leaves the list.
void OpenRecentProject(Program& state, int place);

}  // namespace morvel
