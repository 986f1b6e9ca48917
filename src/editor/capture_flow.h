#pragma once

#include <string>

#include "camera/camera.h"
#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Shooting a frame's takes. A capture is asked for by a key, taken on the camera's worker, and
// lands in the film when the loop sees it finished: one undo step, written to the session
// journal at once. A capture that fails is told once and adds nothing.

// Tells why the camera did not do what was asked, through the error reporter.
void ReportCameraFault(Services& services, ErrorPlace where, CameraFault fault,
                       const std::string& detail);

// Opens the camera named by url in place of the one in use (live view stops). False, telling
// why, when it cannot be opened; the camera in use then stays.
bool ChooseCamera(View& view, Services& services, const std::string& url);

// Starts the capture of take layer (0: layer 1, 1: layer 2) for the displayed frame: refused
// and told when there is no camera, one is under way, or the capture folder takes no files.
bool BeginCapture(Document& document, EditSession& session, View& view, Services& services,
                  int layer);

// While a capture is pending: when it finished, adds the take (or tells why not). True when the
// capture ended either way.
bool FinishCapture(Document& document, EditSession& session, View& view, Services& services);

// Puts a captured picture into the film, one step of the history:
//   layer 0: into the frame frame when its layer 1 is empty, else into a new frame after it
//            (at the end when no frame has that id); with a clean plate kept, a new frame's
//            layer 2 is the last clean plate;
//   layer 1: into layer 2 of that frame (a new frame when none has that id), the new clean plate.
// picture is the take decoded (at any size) for its thumbnail. The frame is then displayed.
void AddCapturedTake(Document& document, EditSession& session, View& view, Services& services,
                     int layer, FrameId frame, const std::string& path, const Image& picture);

}  // namespace morvel
