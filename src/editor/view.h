#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/shooting.h"
#include "import/frame_thumbnails.h"
#include "import/thumbnail_queue.h"
#include "platform/image.h"
#include "project/rect.h"
#include "project/tool_settings.h"
#include "project/view_geometry.h"

namespace morvel {

class MaskTool;

// What the canvas shows: one take alone or the composite.
enum class CanvasPicture { Layer1, Layer2, Result };

// What the canvas buffer shows, so that a redraw recomputes only what changed. The scaled
// picture is a function of the composite and of the fields below; the overlay (brush outline or
// rubber band) is a set of inverted pixels that a second inversion removes.
struct CanvasCache {
    bool valid = false;  // the canvas buffer holds the picture described here
    // The canvas buffer and the composite it was drawn from.
    int canvasWidth = 0;
    int canvasHeight = 0;
    const std::uint8_t* canvasPixels = nullptr;
    int compositeWidth = 0;
    int compositeHeight = 0;
    const std::uint8_t* compositePixels = nullptr;
    // Where the scaled composite lies on the canvas: top-left corner and size in canvas pixels.
    std::int64_t drawnLeft = 0;
    std::int64_t drawnTop = 0;
    std::int64_t drawnWidth = 0;
    std::int64_t drawnHeight = 0;
    // Composite pixels changed since they were last scaled into the buffer.
    std::vector<Rect> stale;
    // The canvas pixels (y * width + x) that the overlay inverted, each once, and their bounds.
    std::vector<std::uint32_t> overlay;
    Rect overlayBounds;
    // What the canvas shows (the view of the "Ansicht" menu), and what the picture `shown`
    // holds for the current composite, when shownValid.
    CanvasPicture drawnPicture = CanvasPicture::Result;
    bool drawnOverlay = false;
    bool shownValid = false;
    CanvasPicture shownPicture = CanvasPicture::Result;
    bool shownOverlay = false;
    // The previous frame composed canvas-sized for the onion skin (empty: none shown), and the
    // files and view it was made from.
    Image onion;
    std::string onionSource;
    // The canvas made ahead with the composite at aheadComposite, as aheadView places it
    // (empty: none); the next full redraw takes it instead of scaling.
    Image aheadCanvas;
    const std::uint8_t* aheadComposite = nullptr;
    ViewGeometry aheadView;
    // The arguments of the last redraw: the cursor and the rubber band it drew.
    int lastX = -1;
    int lastY = -1;
    int lastW = 0;
    int lastH = 0;
};

// Tool, brush and view settings of the editor.
struct View : ViewGeometry {
    ToolId tool;  // the selected tool's id
    // The selected tool, made by its registry row; it keeps its own drag or stroke.
    std::shared_ptr<MaskTool> toolInUse;
    ToolSettings toolSettings;
    bool buttonDown = false;    // the left button went down on the canvas and is still down
    bool cursorInside = false;  // the last mouse event found the cursor over the canvas
    int popupTargetLayer = 0;
    std::string dragPayload;
    // Layers the last drop filled. A thumbnail moved by a drag leaves its frame only when its
    // drop added it somewhere: a drop that adds nothing must not lose the layer.
    int droppedLayers = 0;
    // What the menu items Undo and Redo show (enabled or not), so that the window is told only
    // when that changes.
    bool undoItemEnabled = false;
    bool redoItemEnabled = false;
    // And whether the items that need frames (save, exports, whole frames) are.
    bool frameItemsEnabled = false;

    // What the canvas shows, and whether the mask lies over it as a red tint (display only).
    CanvasPicture canvasPicture = CanvasPicture::Result;
    bool maskOverlay = false;
    // Whether the previous frame shows faintly over the displayed one (display only).
    bool onionSkin = false;

    // The project's title as the title bar names it, and the whole title bar as last shown.
    std::string titleText;
    std::string windowTitle;
    // The status line's frame counter as last shown.
    std::string frameCounter;

    Image canvas;  // what the canvas shows (640 x 480 black at first)
    FrameThumbnails thumbnails;  // what the frame strip shows of each frame
    // The thumbnails of an opened film still being made, and the strip's columns in view when
    // they were last preferred ({-1, -1}: not yet).
    std::shared_ptr<ThumbnailQueue> thumbnailQueue;  // shared: a view copied for its settings
    std::pair<int, int> thumbnailsPreferredFor{-1, -1};
    CanvasCache canvasCache;
    Shooting shooting;  // the camera, live view and the capture under way

    View();
};

}  // namespace morvel
