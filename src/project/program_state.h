#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "i18n/error_reporter.h"
#include "i18n/language.h"
#include "platform/image.h"
#include "platform/program_files.h"
#include "platform/shell.h"
#include "codecs/video_reader.h"
#include "project/document.h"
#include "project/frame_list.h"
#include "project/edit_history.h"
#include "project/rect.h"
#include "project/tool_settings.h"
#include "project/view_geometry.h"

namespace morvel {

class LayerPictureReader;
class MaskTool;
class PlaybackCache;
class SessionWriter;

// The record of this session that survives a crash: the journal last handed to the writer, and
// whether the tile log holds edits not yet in the masks' working files.
struct SessionState {
    std::shared_ptr<SessionWriter> writer;  // none: no record is kept (no session folder)
    std::vector<std::uint8_t> journal;
    bool logged = false;
};

// The pictures of the displayed frame. Each exists from start to end; 640 x 480 black at first.
struct WorkImages {
    Image canvas;     // what the canvas shows
    Image composite;  // the composed picture of the displayed frame
    Image mask;       // the displayed frame's mask (grey; only blue is read)
    Image layer1;     // the picture of the displayed frame's layer 1
    Image layer2;     // the picture of layer 2
    Image shown;      // what the canvas scales when it does not show the composite alone
};

// What the work images hold and which part of the composite needs composing again.
struct FrameCache {
    std::array<std::string, 2> layerSource;         // the source work image layer1/layer2 holds
    std::array<bool, 2> layerFailed{false, false};  // that source could not be loaded
    std::int32_t maskNumber = 0;                    // the mask the mask image holds
    bool maskFailed = false;                        // that mask could not be loaded
    bool maskModified = false;                      // the mask image differs from its working file
    std::uint64_t maskEdits = 0;                    // changes of the mask image so far
    Rect dirty;                                     // what the next blended composition recomputes
    FrameId displayedId = 0;  // the displayed frame (0: none); found again by id
    std::int32_t displayedIndex = -1;
    std::uint64_t displayChanges = 0;  // how often another frame came to the screen

    // Forgets which sources and mask the work images hold, so that the next composition loads
    // its pictures again.
    void forgetPictures() {
        layerSource = {};
        layerFailed = {false, false};
        maskNumber = 0;
        maskFailed = false;
    }
};

// What the canvas shows: one take alone or the composite.
enum class CanvasPicture { Layer1, Layer2, Result };

// Tool, brush and view settings of the editor.
struct ViewState : ViewGeometry {
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

    // What the canvas shows, and whether the mask lies over it as a red tint (display only).
    CanvasPicture canvasPicture = CanvasPicture::Result;
    bool maskOverlay = false;
    // Whether the previous frame shows faintly over the displayed one (display only).
    bool onionSkin = false;
};

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

// Everything the program knows, in one object: main() creates one, every test its own.
class ProgramState {
public:
    // workingFolder and programFolder end with "/". The work images start as 640 x 480 black.
    // Without ProgramFiles, all of the program's files lie in programFolder.
    ProgramState(Shell& shell, std::string workingFolder, std::string programFolder);
    ProgramState(Shell& shell, std::string workingFolder, ProgramFiles files);

    Shell& shell;
    ErrorReporter reporter() const { return ErrorReporter(language.texts, shell); }

    Language language;

    Document document;  // its masks' working files lie in workingFolder
    const ProgramFiles files;         // language files, settings file, AVIServ.so, tutorial page
    const std::string programFolder;  // the executable's folder

    WorkImages images;
    FrameCache cache;
    ViewState view;
    CanvasCache canvasCache;
    EditHistory history;      // undo and redo of mask edits and frame operations
    VideoReader videoReader;  // at most one video open at a time
    SessionState session;
    // Where pictures missing when a project opens are looked for by name, without asking
    // (morvel-render --search); empty: the window asks for a folder.
    std::string pictureSearchFolder;
    // Where the folders of earlier sessions are looked for at start; empty: no recovery.
    std::string sessionsFolder;

    // The display mode of the save window's folder list (0 large icons, 1 small icons, 2 list,
    // 3 details): changed by its change-view button, kept while the program runs.
    int explorerViewMode = 0;

    // Where LoadLayerPicture takes its pictures from: the window's reader of the displayed
    // frame's neighbours decoded ahead; null: each picture is read when it is asked for.
    LayerPictureReader* pictureReader = nullptr;
    // The film's frames composed for playback, when the window keeps them: the onion skin takes
    // the previous frame from there when it is ready.
    const PlaybackCache* playbackCache = nullptr;

    // Whether SelectFrame composes the frame it shows. A program without a canvas (the batch
    // renderer) turns it off: its export composes every frame itself, and a picture that cannot
    // be read is then reported for the frame that is written, not for the first frame at open.
    bool composeOnSelect = true;

    // Whether opening a project links the project's mask files into the working folder instead
    // of copying them. Only for a program that never writes a mask (the batch renderer): it then
    // need not copy every mask of a long project for each range it renders.
    bool linkMasksOnOpen = false;

    // Whether opening a project decodes every picture for the frame strip's thumbnails (and so
    // finds unreadable pictures at once). A program without a frame strip turns it off: the
    // pictures are then read only when a frame is composed, which reports what cannot be read.
    bool makeThumbnails = true;

    // Milliseconds of pause after each canvas redraw; tests set 0.
    int redrawPause = 17;

    // Milliseconds a drop or a video import runs before it shows its progress dialog.
    int progressDelay = 500;

    // Set by an operation whose failure must end the program (after reporting it).
    bool mustEnd = false;
};

}  // namespace morvel
