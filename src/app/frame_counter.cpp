#include "app/frame_counter.h"

#include "editor/frame_selection.h"

namespace morvel {

std::string FrameCounterText(int index, int count) {
    if (count <= 0 || index < 0 || index >= count) return {};
    return std::to_string(index + 1) + " / " + std::to_string(count);
}

void ShowFrameCounter(View& view, Services& services, int index, int count) {
    std::string text = FrameCounterText(index, count);
    if (text == view.frameCounter) return;
    view.frameCounter = std::move(text);
    services.shell.showStatus(StatusPart::FrameCounter, view.frameCounter);
}

void UpdateFrameCounter(Program& state) {
    const FrameRecord* displayed = DisplayedFrame(state.document, state.session);
    const int index = displayed ? state.document.frames.indexOfId(displayed->id) : -1;
    ShowFrameCounter(state.view, state.services, index, state.document.frames.size());
}

}  // namespace morvel
