#pragma once

#include <string>

#include "codecs/video_reader.h"
#include "i18n/error_reporter.h"
#include "i18n/language.h"
#include "platform/program_files.h"
#include "platform/shell.h"
#include "project/workplace.h"

namespace morvel {

// What the program is given to work with (the window, its texts, its files, the one open video)
// and the choices of this run that the code below the window follows.
struct Services {
    // Without ProgramFiles, all of the program's files lie in programFolder (ends with "/").
    Services(Shell& shell, std::string programFolder);
    Services(Shell& shell, ProgramFiles files);

    Shell& shell;
    Language language;
    const ProgramFiles files;         // language files, settings file, AVIServ.so, tutorial page
    const std::string programFolder;  // the executable's folder
    VideoReader videoReader;          // at most one video open at a time

    ErrorReporter reporter() const { return ErrorReporter(language.texts, shell); }

    // Where pictures missing when a project opens are looked for by name, without asking
    // (morvel-render --search); empty: the window asks for a folder.
    std::string pictureSearchFolder;
    // Where the folders of earlier sessions are looked for at start; empty: no recovery.
    std::string sessionsFolder;
    // The sessions folder in which no session could be made (missing, full or read-only): the
    // window says at start that crash protection is off.
    std::string unprotectedSessions;

    // The display mode of the save window's folder list (0 large icons, 1 small icons, 2 list,
    // 3 details): changed by its change-view button, kept while the program runs.
    int explorerViewMode = 0;

    // Whether SelectFrame composes the frame it shows. A program without a canvas (the batch
    // renderer) turns it off: its export composes every frame itself, and a picture that cannot
    // be read is then reported for the frame that is written, not for the first frame at open.
    bool composeOnSelect = true;

    // Whether opening a project links the project's mask files into the working folder instead
    // of copying them. Only for a program that never writes a mask (the batch renderer): it then
    // need not copy every mask of a long project for each range it renders.
    bool linkMasksOnOpen = false;

    // The frames a program without a frame strip will compose (0-based, inclusive; last -1: to
    // the end). Opening looks for moved pictures and places masks only for these and for the
    // frames before them back to the last one with a picture, whose size a range carries: a
    // range of a long project costs the range. The batch renderer sets its range.
    int openFirst = 0;
    int openLast = -1;

    // Whether opening a project decodes every picture for the frame strip's thumbnails (and so
    // finds unreadable pictures at once). A program without a frame strip turns it off: the
    // pictures are then read only when a frame is composed, which reports what cannot be read.
    bool makeThumbnails = true;

    // Milliseconds of pause after each canvas redraw; tests set 0.
    int redrawPause = 17;

    // Milliseconds a drop or a video import runs before it shows its progress dialog.
    int progressDelay = 500;

    // The window's workplace as the user left it: read at start, written at the end.
    Workplace workplace;
    // Set by an operation whose failure must end the program (after reporting it).
    bool mustEnd = false;
};

}  // namespace morvel
