#pragma once

#include <functional>

#include "export/video_export.h"
#include "i18n/language_table.h"
#include "platform/background_watch.h"
#include "platform/shell.h"

namespace morvel {

// The menu entry: asks for the file (its filter choosing MP4 or MOV) and the rate, offering
// playbackRate (Cancel ends the export); calls beforeWriting (which brings the masks' working
// files up to date); writes every frame of the film as it is then, with the sound, on a worker
// that watch looks after (none: it is waited for), whose Cancel abandons the video; the status
// line tells the end.
// requesters (none: the shell's own) asks for the file and the rate, so that a caller can have
// its requesters open where they were last left.
void ExportVideo(const Film& film, Shell& shell, const LanguageTable& texts, int playbackRate,
                 SoundPlacement sound, const std::function<void()>& beforeWriting,
                 BackgroundWatch* watch = nullptr, Dialogs* requesters = nullptr);

}  // namespace morvel
