#pragma once

#include <string>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "platform/dialogs.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Asks whether to save a project that has frames (saving on Yes), then empties the project:
// working files "morvel*.tmp" deleted, thumbnails freed, frame list cleared, view reset, mask
// numbering restarted. Returns Cancel when the user cancelled; then nothing has changed.
Answer CloseProject(Document& document, EditSession& session, View& view, Services& services);

// CloseProject, then an empty project with an empty header and a black 640 x 480 picture.
void NewProject(Document& document, EditSession& session, View& view, Services& services);

// CloseProject, then reads the project file at path (asking for one when path is empty):
// header, frames, and masks copied into the working folder. Missing pictures are told at once;
// the thumbnails of the frames the strip shows are made before it returns, the others on
// workers afterwards (AttachMadeThumbnails).
void OpenProject(Document& document, EditSession& session, View& view, Services& services,
                 const std::string& path);

// Whether thumbnails of an opened film are still being made.
bool ThumbnailsBeingMade(const View& view);
// Attaches the thumbnails made since the last call, to the frames that still hold their source;
// a picture that could not be read is reported and its layer emptied, as at open. The strip's
// columns in view are made next. Called between events while ThumbnailsBeingMade().
void AttachMadeThumbnails(Document& document, EditSession& session, View& view,
                          Services& services);

// Keeps document.sound only when its file is there; else tells the user once and leaves the
// project without sound.
void TakeSoundTrackIfPresent(Document& document, Services& services);

// Saves the project: through the save window when saveAs is set or the project was never saved,
// otherwise straight to its project file.
void SaveProject(Document& document, EditSession& session, View& view, Services& services,
                 bool saveAs);

// " - Morvel" after the title: the main window's title.
std::string WindowTitleFor(const std::string& title);

// Shows view.titleText in the title bar, marked "*" in front while the project differs from its
// file; the window is told only when that changes.
void UpdateWindowTitle(const EditSession& session, View& view, Services& services);

}  // namespace morvel
