#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "i18n/error_reporter.h"
#include "i18n/language.h"
#include "platform/image.h"
#include "platform/shell.h"
#include "platform/video_reader.h"
#include "project/frame_list.h"

namespace morvel {

class LayerPictureReader;

// The six strings of the project header; all empty in a new project.
struct ProjectHeader {
    std::string projectFilePath;
    std::string title;
    std::string author;
    std::string comment;  // lines separated by CR LF
    std::string maskTemplate;
    std::string frameTemplate;  // empty: pictures are not copied on save
};

// A rectangle of composite pixels: columns [left, right), rows [top, bottom).
struct Rect {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
};

// The pictures of the displayed frame. Each exists from start to end; 640 x 480 black at first.
struct WorkImages {
    Image canvas;     // what the canvas shows
    Image composite;  // the composed picture of the displayed frame
    Image mask;       // the displayed frame's mask (grey; only blue is read)
    Image layer1;     // the picture of the displayed frame's layer 1
    Image layer2;     // the picture of layer 2
};

// What the work images hold and which part of the composite needs composing again.
struct FrameCache {
    std::array<std::string, 2> layerSource;         // the source work image layer1/layer2 holds
    std::array<bool, 2> layerFailed{false, false};  // that source could not be loaded
    std::int32_t maskNumber = 0;                    // the mask the mask image holds
    bool maskFailed = false;                        // that mask could not be loaded
    bool maskModified = false;                      // the mask image differs from its working file
    Rect dirty;                                     // what the next blended composition recomputes
    FrameRecord* displayedFrame = nullptr;
    std::int32_t displayedIndex = -1;

    // Forgets which sources and mask the work images hold, so that the next composition loads
    // its pictures again.
    void forgetPictures() {
        layerSource = {};
        layerFailed = {false, false};
        maskNumber = 0;
        maskFailed = false;
    }
};

// Tool, brush and view settings of the editor.
struct ViewState {
    int tool = 0;
    int brushSize = 10;
    int brushShape = 6;  // 6 round, 7 square
    int eraseGrey = 0;
    float zoom = 1.0f;
    std::int32_t offsetX = 0;  // view offset in composite pixels, <= 0
    std::int32_t offsetY = 0;
    bool buttonDown = false;    // the left button went down on the canvas and is still down
    bool cursorInside = false;  // the last mouse event found the cursor over the canvas
    int popupTargetLayer = 0;
    std::string dragPayload;
};

// Everything the program knows, in one object: main() creates one, every test its own.
class ProgramState {
public:
    // workingFolder and programFolder end with "/". The work images start as 640 x 480 black.
    ProgramState(Shell& shell, std::string workingFolder, std::string programFolder);

    Shell& shell;
    ErrorReporter reporter() const { return ErrorReporter(language.texts, shell); }

    Language language;

    ProjectHeader header;
    FrameList frames;
    std::int32_t nextMaskNumber = 1;
    const std::string workingFolder;  // where the mask working files live
    const std::string programFolder;  // where language files and the settings file live

    WorkImages images;
    FrameCache cache;
    ViewState view;
    VideoReader videoReader;  // at most one video open at a time

    // Where LoadLayerPicture takes its pictures from while an export reads them ahead; null:
    // each picture is read when it is asked for.
    LayerPictureReader* pictureReader = nullptr;

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

    // Set by an operation whose failure must end the program (after reporting it).
    bool mustEnd = false;

    // The working file of mask n: "morvel" + n in upper-case hexadecimal + ".tmp".
    std::string maskWorkingFile(std::int32_t n) const;
};

// "morvel" + n in upper-case hexadecimal without leading zeros + ".tmp".
std::string MaskWorkingFileName(std::int32_t n);

}  // namespace morvel
