#pragma once

#include <string>

#include "app/program.h"

namespace morvel {

// The tutorial page shipped beside the program, relative to its folder.
constexpr const char* kTutorialPage = "tutorial/index.html";

// The address the tutorial item opens: the text of "tutoriallink", or, while that is the
// built-in one, the tutorial page shipped beside the program.
std::string TutorialAddress(const Program& state);

// The tutorial item's label. While the item opens the page shipped beside the program, a host
// named in parentheses at the label's end would promise a web site that is not opened: the label
// then goes without it.
std::string TutorialLabel(const Program& state);

}  // namespace morvel
