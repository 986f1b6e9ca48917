#pragma once

#include <string>

#include "i18n/language_table.h"
#include "platform/dialogs.h"

namespace morvel {

// The kinds of error the program reports; each picks a message text and an error-code line.
enum class ErrorKind : int {
    LoadImage = 1,
    LoadMask = 2,
    SaveImage = 3,
    SaveProject = 5,
    LoadProject = 6,
    InitAviExport = 7,
    UseAviExport = 8,
    Window = 9,
    CreateImage = 10,
    CopyImage = 11,
    OnlyOne = 12,
    LargeImage = 13,       // a picture past the size cap
    DamagedSession = 14,   // a crashed session of which nothing could be read
    PartlyRecovered = 15,  // nr mask edits and w of h frames back from damaged session files
    SessionWrite = 16,     // the session's files cannot be written any more
    NoSession = 17,        // no session folder: crash protection is off
    RecoveryNotWritten = 18,
    // The camera: opening it, live view, captures.
    CameraOpen = 19,
    NotACamera = 20,
    CameraFormat = 21,
    CameraGone = 22,
    CameraBusy = 23,
    CaptureFailed = 24,
    CaptureTimeout = 25,
    CaptureWrite = 26,
    NoCamera = 27,
    LoadSound = 28,  // file: the sound file and the reason, joined by "|"
    CaptureTemplate = 29,  // captures' file names that would overwrite each other
};

// Which operation failed: the second number of the error code.
enum class ErrorPlace : int {
    SingleInstance = 0,
    SelectFrame = 1,
    ComposeFrame = 2,
    NewProject = 3,
    WindowLayout = 4,
    StartUp = 5,
    CreateMask = 6,
    ImportLayer = 7,
    OpenProject = 8,
    StoreMask = 9,
    ImageExport = 10,
    SaveProject = 11,
    MoveMask = 12,
    MainWindow = 13,
    AboutBoxOrRepeat = 14,
    AviExport = 15,
    ReadVideo = 16,
    RecoverSession = 17,
    SessionFiles = 18,
    CarryMask = 19,
    ChooseCamera = 20,
    LiveView = 21,
    Capture = 22,
    SoundTrack = 23,
};

// The message of an error: the translated text of its kind, then the line
// "ErrorCode = <code>-<place>-<number>", with the placeholders filled in. For CopyImage, file
// holds the source and the target joined by "|"; for LoadSound the file and the reason.
std::string BuildErrorText(const LanguageTable& texts, ErrorKind kind, int where, int nr,
                           const std::string& file, int w, int h);

// The one way the program reports a failure: builds the text and shows it in an error box
// with the caption of the "title" text of group Errors.
class ErrorReporter {
public:
    ErrorReporter(const LanguageTable& texts, Dialogs& dialogs)
        : m_texts(texts), m_dialogs(dialogs) {}

    void report(ErrorKind kind, ErrorPlace where, int nr, const std::string& file = {}, int w = 0,
                int h = 0) const;

private:
    const LanguageTable& m_texts;
    Dialogs& m_dialogs;
};

}  // namespace morvel
