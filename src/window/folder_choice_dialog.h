#pragma once

#include <string>
#include <vector>

#include "platform/dialogs.h"

class QWidget;

namespace morvel {

// The modal choice among folders that may hold a film's missing pictures: each folder with one
// of its pictures, small. The chosen one's index, -1 when the user takes none.
int RunFolderChoiceDialog(QWidget* parent, const std::string& title, const std::string& text,
                          const std::vector<FolderCandidate>& candidates);

}  // namespace morvel
