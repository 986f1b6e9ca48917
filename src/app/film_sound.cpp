#include "app/film_sound.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "app/main_window.h"
#include "app/program.h"
#include "app/remembered_workplace.h"
#include "editor/frame_selection.h"
#include "editor/sound_track_command.h"
#include "editor/undo_history.h"
#include "export/avi_export.h"
#include "project/name_template.h"
#include "session/sound_fault.h"
#include "sound/sound_decoder.h"

namespace morvel {

namespace {

// The window's row for the waveform under the strip's two rows.
constexpr int kWaveformTop = 98;

void reportSound(Program& state, const std::string& file, const std::string& error, int nr) {
    ReportSoundFault(state.services, file, error, nr);
}

void startDecoding(Program& state, const std::string& path, bool adopt) {
    FilmSound& sound = state.sound;
    if (sound.pending.valid()) sound.pending.wait();  // its result is dropped
    sound.pendingFile = path;
    sound.adopt = adopt;
    sound.pending = std::async(std::launch::async, [path, wake = sound.wake] {
        DecodedSound result;
        auto samples = std::make_shared<SoundSamples>();
        if (DecodeSoundFile(path, *samples, result.error)) result.samples = std::move(samples);
        if (wake) wake();
        return result;
    });
}

// A decode that has ended: its samples become the track's, or its failure is told once.
void takeDecoded(Program& state) {
    FilmSound& sound = state.sound;
    DecodedSound result = sound.pending.get();
    const std::string file = sound.pendingFile;
    SoundTrack& track = state.document.sound;
    if (!sound.adopt && track.file != file) return;  // the track changed meanwhile
    if (!result.samples) {
        reportSound(state, file, result.error, sound.adopt ? 1 : 2);
        if (!sound.adopt) {
            // The project's own track cannot be read: it goes on without it.
            track = {};
            MarkProjectChanged(state.session);
        }
        return;
    }
    if (sound.adopt) ChangeSoundTrack(state.document, state.session, {file, 0});
    sound.samples = std::move(result.samples);
    sound.decodedFor = track;
}

std::vector<WaveformBar> waveformOf(const std::vector<SoundBar>& bars) {
    std::vector<WaveformBar> shown;
    shown.reserve(bars.size());
    for (const SoundBar& bar : bars) shown.push_back({bar.peak, bar.rms});
    return shown;
}

}  // namespace

bool IsSoundFileName(const std::string& path) {
    std::string extension = FileExtension(path);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const char* const kinds[] = {"wav", "flac", "mp3", "ogg", "oga", "opus",
                                        "m4a", "aac", "aif", "aiff", "wma"};
    return std::find(std::begin(kinds), std::end(kinds), extension) != std::end(kinds);
}

void LoadSoundFile(Program& state, const std::string& path) {
    startDecoding(state, path, true);
}

void AskSoundFile(Program& state) {
    const LanguageTable& texts = state.services.language.texts;
    const FileChoice choice = RequesterDialogs(state, kSoundRequester).requestOpenFile(
        {texts[Text::RequesterLoadsound], "", texts[Text::RequesterLoadsoundtext], 0});
    if (!choice.path.empty()) LoadSoundFile(state, choice.path);
}

void RemoveSoundTrack(Program& state) {
    ChangeSoundTrack(state.document, state.session, {});
}

void AskSoundOffset(Program& state) {
    SoundTrack& track = state.document.sound;
    if (track.empty()) return;
    const LanguageTable& texts = state.services.language.texts;
    const std::string answer = state.services.shell.requestText(
        texts[Text::RequesterSoundoffset], texts[Text::RequesterSoundoffsettext],
        std::to_string(track.offset));
    std::string digits = answer;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.erase(0, 1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) || c == ' ';
        }))
        return;  // cancelled, or no whole number: the offset stays
    const std::int32_t magnitude = std::min(ReadRequesterInteger(digits), kMaxSoundOffset);
    const std::int32_t offset = negative ? -magnitude : magnitude;
    ChangeSoundTrack(state.document, state.session, {track.file, offset});
    state.sound.decodedFor.offset = offset;
}

namespace {

// The samples to play now: the document's track decoded, unmuted, with a device.
const std::shared_ptr<const SoundSamples>* audible(Program& state) {
    FilmSound& sound = state.sound;
    if (!sound.output || sound.muted || !sound.samples ||
        sound.decodedFor.file != state.document.sound.file)
        return nullptr;
    return &sound.samples;
}

bool startOutput(Program& state, long long first, long long count, bool holdClock) {
    FilmSound& sound = state.sound;
    const auto* samples = audible(state);
    if (!samples) return false;
    if (sound.output->start(*samples, first, count, holdClock)) return true;
    if (!sound.noDeviceTold) {
        sound.noDeviceTold = true;
        // In the status line: a box at every Space would be worse than silence.
        state.services.shell.showStatus(StatusPart::Notice,
                                        state.services.language.texts[Text::ElseSoundnodevice]);
    }
    return false;
}

// Where frame `index` begins in the sound, in sample frames (negative before its start).
long long frameStart(const Program& state, int index) {
    const long long n = static_cast<long long>(index) - state.document.sound.offset;
    return n * SoundSamples::kRate / std::max(state.sound.rate, 1);
}

}  // namespace

bool StartFilmSound(Program& state, int index) {
    const auto* samples = audible(state);
    if (!samples) return false;
    state.sound.clockSeen = -1;
    const long long first = frameStart(state, index);
    // Past the sound's end the device plays silence, so that its clock still leads the film.
    return startOutput(state, first, std::max((*samples)->frameCount() - first, 0LL), true);
}

std::optional<double> FilmSoundClock(Program& state) {
    FilmSound& sound = state.sound;
    if (!sound.output) return std::nullopt;
    const auto now = std::chrono::steady_clock::now();
    const double played = sound.output->playedSeconds();
    if (played != sound.clockSeen) {
        sound.clockSeen = played;
        sound.clockSince = now;
    }
    const bool stalled =
        std::chrono::duration<double>(now - sound.clockSince).count() > sound.stallSeconds;
    if (!sound.output->lost() && !stalled) return played;
    sound.output->stop();
    state.services.shell.showStatus(StatusPart::Notice,
                                    state.services.language.texts[Text::ElseSoundlost]);
    return std::nullopt;
}

void ScrubFilmSound(Program& state, int index) {
    const auto* samples = audible(state);
    if (!samples || index < 0) return;
    const SoundSlice slice = FrameSlice(**samples, index, state.sound.rate, state.document.sound.offset);
    if (slice.count > 0) startOutput(state, slice.first, slice.count, false);
}

void StopFilmSound(Program& state) {
    if (state.sound.output) state.sound.output->stop();
}

void ToggleMuteSound(Program& state) {
    state.sound.muted = !state.sound.muted;
    if (state.sound.muted) StopFilmSound(state);
    state.services.shell.checkMenuItem(+MenuItem::MuteSound, state.sound.muted);
}

bool SoundMenu(Program& state, MenuItem item) {
    switch (item) {
        case MenuItem::LoadSound:
            AskSoundFile(state);
            return true;
        case MenuItem::RemoveSound:
            RemoveSoundTrack(state);
            return true;
        case MenuItem::SoundOffset:
            AskSoundOffset(state);
            return true;
        case MenuItem::MuteSound:
            ToggleMuteSound(state);
            return true;
        default:
            return false;
    }
}

void SyncFilmSound(Program& state, bool wait) {
    FilmSound& sound = state.sound;
    const SoundTrack& track = state.document.sound;
    if (sound.pending.valid()) {
        if (wait) sound.pending.wait();
        if (sound.pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            takeDecoded(state);
    }
    if (track.empty()) {
        sound.samples.reset();
        sound.decodedFor = {};
    } else if (sound.decodedFor.file != track.file && !sound.pending.valid()) {
        startDecoding(state, track.file, false);
        if (wait) {
            SyncFilmSound(state, true);
            return;
        }
    }
    sound.decodedFor.offset = track.offset;

    const bool show = !track.empty();
    const SoundSamples* samples =
        sound.samples && sound.decodedFor.file == track.file ? sound.samples.get() : nullptr;
    const int frames = state.document.frames.size();
    if (show != sound.shown) {
        sound.shown = show;
        LayoutMainWindow(state);
    } else if (samples == sound.barsOf && frames == sound.barsFrames &&
               sound.rate == sound.barsRate && track.offset == sound.barsOffset) {
        return;  // the waveform shows this already
    }
    sound.barsOf = samples;
    sound.barsFrames = frames;
    sound.barsRate = sound.rate;
    sound.barsOffset = track.offset;
    sound.bars = samples ? SoundBars(*samples, frames, sound.rate, track.offset)
                         : std::vector<SoundBar>();
    state.services.shell.showWaveform(waveformOf(sound.bars), kFrameColumnWidth, kWaveformTop,
                                      show ? kWaveformRowHeight : 0);
}

SoundPlacement FilmSoundPlacement(const Program& state) {
    const SoundTrack& track = state.document.sound;
    if (track.empty() || !state.sound.samples || state.sound.decodedFor.file != track.file) {
        return {nullptr, 0};
    }
    return {state.sound.samples.get(), track.offset};
}

}  // namespace morvel
