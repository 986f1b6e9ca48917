#pragma once

namespace morvel {

// The main window's gadgets by their fixed numbers; the dispatch tables and the window agree on
// these.
enum class Gadget : int {
    Canvas = 1,
    FrameStrip = 2,
    HorizontalScrollBar = 3,
    VerticalScrollBar = 4,
    FrameMarker = 5,
    Layer1Row = 6,
    Layer2Row = 7,
    LayerRowsPicture = 8,
    ZoomTool = 9,
    Eraser = 10,
    AntiEraser = 11,
    SelectionTool = 12,
    MaskMover = 13,
    BrushSize = 14,
    BrushShape = 15,
    Transparency = 16,
    TransparencyIcon = 17,
    ZoomIn = 18,
    ZoomOut = 19,
    ZoomFit = 20,
    ZoomOneToOne = 21,
    Hardness = 46,  // the brush's hardness, after the transparency field
};

constexpr int operator+(Gadget g) {
    return static_cast<int>(g);
}

// Menu items of the menu bar and the frame strip's popup menu; keyboard shortcuts raise the
// same numbers. The frame keys have numbers of their own without a menu entry. Languages of the
// language submenu are numbered from FirstLanguage on; the numbers in between do nothing.
enum class MenuItem : int {
    New = 1,
    Open = 2,
    Save = 3,
    SaveAs = 4,
    ImageExport = 5,
    AviExport = 6,
    Quit = 7,
    AssociateFiles = 8,
    Tutorial = 9,
    About = 10,
    DeleteLayer = 11,
    RepeatLayer = 12,
    Undo = 13,
    Redo = 14,
    PreviousFrame = 15,  // Left
    NextFrame = 16,      // Right
    FirstFrame = 17,     // Home
    LastFrame = 18,      // End
    // The "Ansicht" menu: playback, then what the canvas shows (display only).
    Play = 19,  // Space
    PlaybackRate = 20,
    OnionSkin = 21,   // O
    ViewLayer1 = 22,  // 1
    ViewLayer2 = 23,  // 2
    ViewResult = 24,  // 3
    ShowMask = 25,    // M
    // Whole frames in the "Bearbeiten" menu and the frame strip's popup menu.
    DeleteFrame = 26,     // Shift+Del
    DuplicateFrame = 27,  // Ctrl+D
    InsertFrame = 28,     // Ctrl+I
    // Carried masks in the "Bearbeiten" menu.
    CarryMask = 29,   // Ctrl+M
    CarryMasks = 30,
    // The sound track: in "Projekt", and its mute in "Ansicht".
    LoadSound = 31,
    RemoveSound = 32,
    SoundOffset = 33,
    MuteSound = 34,  // S
    // The "Aufnahme" menu after "Ansicht".
    ChooseCamera = 35,
    LiveView = 36,           // L
    CaptureLayer1 = 37,      // Return while live
    CaptureLayer2 = 38,      // Shift+Return while live
    PlayLastFrames = 39,     // K
    ShootingSettings = 40,
    DifferenceView = 41,     // D
    CaptureKey1 = 42,        // Return: "Ebene 1 aufnehmen" while live
    CaptureKey2 = 43,        // Shift+Return: "Ebene 2 aufnehmen" while live
    // "Projekt" > "Exportieren" after the AVI video.
    VideoExport = 45,
    // "Projekt" > "Zuletzt geöffnet": the remembered projects, newest first.
    FirstRecentProject = 46,
    LastRecentProject = 55,
    // A tool's shortcut: the tool's place in the registry added to this number.
    FirstToolKey = 501,
    FirstLanguage = 1001,
};

constexpr int operator+(MenuItem m) {
    return static_cast<int>(m);
}

// The brush-shape icons, shown by gadget 15 under these image numbers; the brush shape of the
// view state holds the same numbers.
constexpr int kRoundBrushImage = 6;
constexpr int kSquareBrushImage = 7;

}  // namespace morvel
