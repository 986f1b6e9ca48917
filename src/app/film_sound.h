#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/sound_output.h"
#include "platform/gadgets.h"
#include "export/video_export.h"
#include "project/document.h"
#include "sound/sound_samples.h"
#include "sound/sound_slices.h"

namespace morvel {

struct Program;

// A sound file decoded on a worker thread.
struct DecodedSound {
    std::shared_ptr<const SoundSamples> samples;  // none when it failed
    std::string error;                            // DecodeSoundFile's reason
};

// The sound track as the running program holds it: the samples of the document's track, decoded
// on a worker, and the waveform's bars for the strip.
struct FilmSound {
    SoundTrack decodedFor;  // the track whose file the samples hold
    std::shared_ptr<const SoundSamples> samples;
    // A decode under way; `adopt`: the file becomes the document's track when it succeeds
    // (a new track from the menu or a drop), else it is the document's track being loaded.
    std::future<DecodedSound> pending;
    std::string pendingFile;
    bool adopt = false;
    bool muted = false;
    // The window's audio output; none: the film plays silent (tests, the batch renderer).
    SoundOutput* output = nullptr;
    bool noDeviceTold = false;  // the user knows once that no device plays
    // The device's clock as last seen while the film plays, and since when it stood at that
    // value: a clock standing still longer than stallSeconds means the device is gone.
    double clockSeen = -1;
    std::chrono::steady_clock::time_point clockSince;
    double stallSeconds = 0.5;
    int rate = 12;  // the playback rate the bars are cut at
    // Called on the worker when a decode ends, so that the loop takes the result (the window
    // posts an empty event); none in tests, which wait.
    std::function<void()> wake;
    // What the waveform shows now, and what it was cut from.
    std::vector<SoundBar> bars;
    bool shown = false;
    const SoundSamples* barsOf = nullptr;
    int barsFrames = -1;
    int barsRate = 0;
    int barsOffset = 0;
};

// The waveform row's height under the frame strip while the project has a sound track.
constexpr int kWaveformRowHeight = 24;

// Starts decoding the file on a worker; it becomes the document's track with offset 0 when it
// can be read, else the reason is reported.
void LoadSoundFile(Program& state, const std::string& path);
// "Ton laden ...": asks for a file and loads it.
void AskSoundFile(Program& state);
// "Ton entfernen": the project has no track any more.
void RemoveSoundTrack(Program& state);
// "Tonversatz ...": asks for the frame the sound starts at (whole numbers, may be negative).
void AskSoundOffset(Program& state);
// "Ton aus": playback and scrubbing stay silent.
void ToggleMuteSound(Program& state);
// The menu items of sound tracks; false for the other numbers.
bool SoundMenu(Program& state, MenuItem item);

// After each event and when idle: takes a finished decode, starts one when the document's track
// is not the one decoded, drops the samples when it has none, and brings the waveform up to the
// track, the frames and the rate. `wait` waits for a decode under way (tests, the batch).
void SyncFilmSound(Program& state, bool wait = false);

// Starts the sound with the film at frame `index` when there is a track, it is not muted and a
// device plays; plays on to the end of the sound. Tells once when no device can play. False
// when no sound plays (the film follows its own clock then).
bool StartFilmSound(Program& state, int index);
// While the film plays with sound: the seconds the device has played since StartFilmSound, or
// nothing when it is gone (it failed, or its clock stood still): the sound stops, the status
// line tells it once, and the film goes on by its own clock; nothing else changes.
std::optional<double> FilmSoundClock(Program& state);
// A frame step's sound: the slice of frame `index` alone.
void ScrubFilmSound(Program& state, int index);
void StopFilmSound(Program& state);

// True for the files a drop loads as the sound track, by name: sound files are not pictures.
bool IsSoundFileName(const std::string& path);

// Where the film's sound goes into a video: the decoded track with its offset; none when the
// project has no track or its samples are not decoded (yet).
SoundPlacement FilmSoundPlacement(const Program& state);

}  // namespace morvel
