#pragma once

#include <string>
#include <vector>

#include "app/dispatch.h"
#include "app/program.h"
#include "camera/gphoto_camera.h"
#include "platform/gadgets.h"

namespace morvel {

// The "Aufnahme" menu: choosing the camera, live view, both takes, the last frames played into
// live view, the settings and the difference view.
void ShootingMenu(Program& state, MenuItem item, const DispatchHooks& hooks);

// The loop calls this often while ShootingNeedsTicks: a finished capture lands in the film, the
// newest live picture is shown.
void ShootingTick(Program& state);
bool ShootingNeedsTicks(const Program& state);
// How long the loop waits for an event between ticks.
constexpr int kShootingTickMilliseconds = 4;

// The camera named on the command line, opened and live at start-up, its menu items checked.
void StartWithCamera(Program& state, const std::string& url);

// "--camera URL" taken out of the arguments: the URL, "" when none is given.
std::string TakeCameraArgument(std::vector<std::string>& arguments);

// The camera chooser of "Kamera wählen ...": the cameras found, and before them the camera in
// use (the one named on the command line or chosen last) when it is not among them; its field
// starts with the camera in use.
CameraChooser CameraChooserFor(const LanguageTable& texts, const std::string& inUse,
                               const std::vector<CameraChoice>& found);

// The settings' dialog; its fields, when confirmed, are taken as TakeShootingSettings says.
void AskShootingSettings(Program& state);

// Takes confirmed fields into settings: numbers are held to their ranges, and a name template
// without $Nr and $Layer (captures would overwrite each other) is told and the old one kept.
void TakeShootingSettings(Services& services, const ShootingSettingsFields& fields,
                          CaptureSettings& settings);

}  // namespace morvel
