#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "aviserv/aviserv.h"
#include "export/video_export.h"
#include "i18n/error_reporter.h"
#include "i18n/language_table.h"
#include "platform/background_watch.h"
#include "platform/shell.h"
#include "platform/image.h"
#include "platform/shared_library.h"
#include "sequence/film.h"

namespace morvel {

// The frame rate when the answer gives none.
constexpr int kDefaultFrameRate = 30;

// The integer a requester's answer holds: blanks and tabs skipped, an optional sign, then the
// digits up to the first other character: decimal, hexadecimal after "$", binary after "%".
// No digits give 0; digits beyond 32 bits wrap around.
std::int32_t ReadRequesterInteger(std::string_view text);

// The frame rates a film plays and is exported at: whole frames per second.
constexpr int kMinFrameRate = 1;
constexpr int kMaxFrameRate = 60;

// The frame rate an answer of a frame-rate requester gives: its integer when that is a rate from
// kMinFrameRate to kMaxFrameRate, otherwise the rate offered.
int FrameRateFromAnswer(std::string_view answer, int offered);

// The writer record for a video of width x height at frameRate frames per second.
AviWriterRecord MakeAviWriterRecord(int width, int height, int frameRate);

// The AVIServ library, loaded for one export. An entry the library lacks is not called and
// counts as having returned 0.
class AviServer {
public:
    enum class Start { Ready, NotLoaded, InitFailed };

    ~AviServer() { quit(); }

    // Loads folder + "AVIServ.so" and calls AVI_Init; unloads it again when that fails.
    Start start(const std::string& folder);
    // OpenAVIforWrite: true when the video is open.
    bool open(const std::string& path, const AviWriterRecord& record);
    // AddFrameToAVI with the picture, which has the record's size: true when it returned 1.
    bool addFrame(const Image& picture);
    // True when the library offers AddSoundToAVI (older ones write pictures only).
    bool takesSound() const { return m_addSound != nullptr; }
    // AddSoundToAVI with interleaved stereo samples at 48000 Hz: true when it returned 1.
    bool addSound(const std::vector<float>& samples);
    // CloseAVIStreams: true when it completed the video.
    bool close();
    // AVI_Quit and unload; nothing when the library is not loaded.
    void quit();

private:
    SharedLibrary m_library;
    OpenAVIforWriteFunction m_open = nullptr;
    AddFrameToAVIFunction m_add = nullptr;
    AddSoundToAVIFunction m_addSound = nullptr;
    CloseAVIStreamsFunction m_close = nullptr;
    AVI_QuitFunction m_quit = nullptr;
};

// What WriteAviVideo writes: frames first..last (0-based, inclusive) into path, at the rate that
// frameRate gives when the first frame has been composed (it is not asked when there is none).
struct AviVideoJob {
    std::string path;
    std::function<int()> frameRate;
    int first = 0;
    int last = -1;  // -1: the last frame
    // How many threads read the pictures of the next frames while a frame is composed and added
    // (0: each frame's pictures are read as it is composed).
    int readers = 1;
    // The sound's span of the frames, as PCM, when the library takes sound.
    SoundPlacement sound;
    std::function<void(int written, int total)> progress;
    // Asked before each frame; true ends the video after the frames already added.
    std::function<bool()> stopRequested;
    // Told when the video lacks something, after its report: a frame the library refused, or a
    // close that could not complete it.
    std::function<void()> damaged;
};

// Composes every frame of the job in turn and adds it to the video of a started server: the
// first frame's composite sets the video's size and the video is opened then; later frames of
// another size are stretched to it; the video is closed after the last frame. The job's sound
// goes in as PCM when the library offers that (a refusal is reported, number 2). A video that
// cannot be opened is reported (useaviexport, place 15, number 0) and not closed; a frame the
// library refuses is reported (number 1) and the next one follows; a video that the close cannot
// complete (a full disk) is reported (number 3). The frames come from a
// FrameSequence of the film, so a range holds the same pictures as in the whole film. Returns
// false when the video could not be opened.
bool WriteAviVideo(const Film& film, ErrorReporter reporter, AviServer& server,
                   const AviVideoJob& job);

// The menu entry: loads the library from libraryFolder, asks for the file name and the frame
// rate (offering the playback rate; Cancel ends the export), calls beforeWriting (which brings
// the masks' working files up to date) and writes every frame of the film as it is then, with
// the sound when the library takes it, on a worker that watch looks after (none: it is waited
// for). The video is written beside its name and put in place only when complete: Cancel, a
// refused frame or a close that fails (a full disk) leave nothing under its name. The status
// line tells the end.
// requesters (none: the shell's own) asks for the file and the rate, so that a caller can have
// its requesters open where they were last left.
void ExportAviVideo(const Film& film, Shell& shell, const LanguageTable& texts,
                    const std::string& libraryFolder, int playbackRate,
                    const std::function<void()>& beforeWriting, SoundPlacement sound = {},
                    BackgroundWatch* watch = nullptr, Dialogs* requesters = nullptr);

// The same without requesters, for programs without a window: the library from libraryFolder,
// the job names the file and the rate. Returns false when the library could not be started or
// the video not opened.
bool RenderAviVideo(const Film& film, ErrorReporter reporter, const std::string& libraryFolder,
                    const AviVideoJob& job);

}  // namespace morvel
