#pragma once

// A program state with a built main window and a frame of real pictures, for the tests of the
// dispatch and the start-up.

#include <deque>
#include <string>

#include "app/event.h"
#include "app/main_window.h"
#include "app/program.h"
#include "codecs/picture_io.h"
#include "editor/frame_selection.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel::testing {

inline Event KindEvent(EventKind kind) {
    Event event;
    event.kind = kind;
    return event;
}
inline Event GadgetEvent(int gadget, GadgetEventType type = GadgetEventType::Change, int x = 0,
                         int y = 0) {
    Event event = KindEvent(EventKind::Gadget);
    event.gadget = gadget;
    event.type = type;
    event.x = x;
    event.y = y;
    return event;
}
inline Event MenuEvent(int item) {
    Event event = KindEvent(EventKind::Menu);
    event.menuItem = item;
    return event;
}
inline Event MouseEvent(EventKind kind, int x, int y) {
    Event event = KindEvent(kind);
    event.x = x;
    event.y = y;
    return event;
}

// Events from a script; once it has run out, the window is closed.
class ScriptedEvents : public EventSource {
public:
    std::deque<Event> script;
    Event waitEvent() override {
        if (script.empty()) return KindEvent(EventKind::Close);
        Event event = script.front();
        script.pop_front();
        return event;
    }
};

struct AppFixture {
    TempFolder program;
    TempFolder work;
    RecordingShell shell;
    Program state{shell, work.path(), program.path()};

    // client: the client area below the menu bar; 695 x 660 gives a 640 x 480 canvas.
    explicit AppFixture(ClientSize client = {695, 660}) {
        state.services.redrawPause = 0;
        shell.client = client;
    }

    // A frame whose layers are pictures of this size, displayed.
    FrameRecord& addFrame(int width = 640, int height = 480) {
        const int n = state.document.frames.size();
        FrameRecord& frame = state.document.frames.append();
        for (int layer = 0; layer < 2; ++layer) {
            const std::string path =
                work.file("take" + std::to_string(n) + "_" + std::to_string(layer) + ".png");
            SavePictureFile(GradientPicture(width, height, 1 + layer), path, PictureFormat::Png);
            frame.layerSource[layer] = path;
        }
        RefreshFrameStrip(state.document, state.session, state.view, state.services, n);
        return frame;
    }
};

}  // namespace morvel::testing
