#pragma once

#include <string>
#include <vector>

#include "app/dispatch.h"
#include "app/program.h"
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

// "--camera URL" taken out of the arguments: the URL, "" when none is given.
std::string TakeCameraArgument(std::vector<std::string>& arguments);

// The cameras offered by "Kamera wählen ...": those found and the one named on the command line.
// The answer is a number of the list or a URL; "" keeps the camera in use.
std::string CameraAnswerUrl(const std::string& answer, const std::vector<std::string>& urls);

// The settings asked one after the other; a cancelled question keeps its setting.
void AskShootingSettings(Program& state);

}  // namespace morvel
