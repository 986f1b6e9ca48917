#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "camera/camera.h"
#include "import/layer_picture.h"
#include "platform/image.h"
#include "project/frame_id.h"

namespace morvel {

// How many frames "Letzte Bilder abspielen" may play.
constexpr int kLeastLastFrames = 1;
constexpr int kMostLastFrames = 50;

// The choices of the "Aufnahme-Einstellungen".
struct CaptureSettings {
    std::string folder;  // where captures go; empty: the default beside the project
    // The captures' file names by the project's template rules ("$Nr" the frame's place,
    // "$Layer" the take); the camera adds the extension.
    std::string nameTemplate = "$Project_$Nr_$Layer";
    int lastFrames = 6;           // "Letzte Bilder abspielen" plays this many before live view
    int onionOpacity = 30;        // percent of the previous frame's layer 1 over live view
    bool keepCleanPlate = false;  // a new frame's layer 2 is the last one shot
};

// A capture under way: which take of which frame it is for.
struct PendingCapture {
    bool active = false;
    int layer = 0;
    FrameId frame = 0;  // the displayed frame when the key was pressed (0: none)
    std::chrono::steady_clock::time_point started;
    // The frame's composite and canvas, made on the capture's worker when the take alone makes
    // the composite (read only once the result was handed out).
    std::shared_ptr<ComposedAhead> ahead;
};

// The camera and what shooting needs between events.
struct Shooting {
    // Shared, so that a view stays copyable (a copy shows the same camera).
    std::shared_ptr<Camera> camera;
    std::string cameraUrl;  // the one named on the command line or chosen last
    CaptureSettings settings;
    // The user's pictures folder: the captures of a project not yet saved go below it.
    std::string picturesFolder;
    PendingCapture pending;
    // The last clean plate (layer 2) shot, and its thumbnail, for "clean plate kept".
    std::string cleanPlate;
    Image cleanPlateThumbnail;

    // Live view: the canvas shows the camera's newest picture instead of the displayed frame.
    bool live = false;
    bool difference = false;  // the difference to the displayed frame's layer 1 over it
    std::uint64_t liveNumber = 0;  // the number of the live picture shown last
    int liveWidth = 0;  // the size live pictures are asked to fit
    int liveHeight = 0;
    std::uint64_t liveShown = 0;   // live pictures drawn so far (for measuring)
    // The displayed frame's layer 1 at the live picture's size, for the onion skin and the
    // difference, and the source it was made from.
    Image reference;
    std::string referenceSource;
};

}  // namespace morvel
