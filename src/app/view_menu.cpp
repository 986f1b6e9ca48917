#include "app/view_menu.h"

#include "editor/canvas.h"

namespace morvel {

void ViewMenu(Program& state, MenuItem item) {
    View& view = state.view;
    switch (item) {
        case MenuItem::ViewLayer1:
            view.canvasPicture = CanvasPicture::Layer1;
            break;
        case MenuItem::ViewLayer2:
            view.canvasPicture = CanvasPicture::Layer2;
            break;
        case MenuItem::ViewResult:
            view.canvasPicture = CanvasPicture::Result;
            break;
        case MenuItem::ShowMask:
            view.maskOverlay = !view.maskOverlay;
            break;
        case MenuItem::OnionSkin:
            view.onionSkin = !view.onionSkin;
            break;
        default:
            return;
    }
    MainWindowShell& window = state.services.shell;
    window.checkMenuItem(+MenuItem::ViewLayer1, view.canvasPicture == CanvasPicture::Layer1);
    window.checkMenuItem(+MenuItem::ViewLayer2, view.canvasPicture == CanvasPicture::Layer2);
    window.checkMenuItem(+MenuItem::ViewResult, view.canvasPicture == CanvasPicture::Result);
    window.checkMenuItem(+MenuItem::ShowMask, view.maskOverlay);
    window.checkMenuItem(+MenuItem::OnionSkin, view.onionSkin);
    const CanvasCache& last = state.view.canvasCache;  // keeps the brush outline where it was
    RedrawCanvas(state.document, state.session, state.view, state.services, last.lastX, last.lastY,
                 last.lastW, last.lastH);
}

}  // namespace morvel
