#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "i18n/language_table.h"
#include "platform/dialogs.h"
#include "platform/save_window_plan.h"

namespace morvel {

// The save window's contents and the rules of its gadgets, apart from the window system.

// The mask template of a confirmed window whose mask box was left empty.
constexpr const char* kEmptyMaskTemplate = "$nr.mask";

// The templates the two boxes offer, in order, item 0 first (folders separated by "/"). Item 0 of
// the frame templates, no picture copies, is the text "Nicht speichern" of the language in use.
const std::vector<std::string>& OfferedMaskTemplates();
std::vector<std::string> OfferedFrameTemplates(const LanguageTable& texts);

// The save window in the language of texts: every gadget with its place, caption and tooltip.
SaveWindowPlan MakeSaveWindowPlan(const LanguageTable& texts);

// A name the project file may take: not empty, no control character (codes 1 to 31) and none of
// the characters " * / : < > ? \ |.
bool IsValidFileName(std::string_view name);

// The folder above folder (which ends with "/"): its text up to and including its second-to-last
// "/"; empty, the file system's top level, when it holds fewer than two "/".
// "/home/film/" gives "/home/", "/home/" gives "/", "/" gives "".
std::string ParentFolder(const std::string& folder);

// The explorer view mode after mode: the next of the four, the first after the last.
int NextExplorerView(int mode);

// What the gadgets of a confirmed save window hold.
struct SaveWindowEntries {
    std::string folder;  // the folder the list shows, ending with "/" (empty: the top level)
    std::string name;    // the project name box
    std::string maskTemplate;
    std::string frameTemplate;
    std::string title;
    std::string author;
    std::string comment;  // lines separated by LF or CR LF
};

// The project header fields a confirmed window gives: the project file is folder + name with
// the extension ".mvl"; an empty mask box gives "$nr.mask"; the frame box's item 0 (its text
// noFrameCopies) gives no copies; the comment's lines are separated by CR LF. viewMode is left as
// it is.
void SettleSaveWindow(const SaveWindowEntries& entries, SaveWindowFields& fields,
                      std::string_view noFrameCopies);

// Text with every line break (LF, CR LF or a lone CR) as CR LF, and with LF only.
std::string WithCrLf(std::string_view text);
std::string WithLf(std::string_view text);

}  // namespace morvel
