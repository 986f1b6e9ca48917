#pragma once

#include <string>
#include <vector>

namespace morvel {

// The language chooser: a fixed-size window centred on the screen with the languages in their
// order, the one at position preselected selected (the first when there is no such position). OK
// gives the selected name; closing the window gives "". Its texts are fixed, since no language is
// known yet.
std::string RunLanguageChooser(const std::vector<std::string>& languages, std::size_t preselected);

}  // namespace morvel
