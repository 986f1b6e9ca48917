#pragma once

#include <functional>

#include "export/video_export.h"
#include "i18n/language_table.h"
#include "platform/dialogs.h"
#include "platform/progress.h"

namespace morvel {

// The menu entry: asks for the file (its filter choosing MP4 or MOV) and the rate, offering
// playbackRate; calls beforeWriting (which brings the masks' working files up to date); writes
// every frame of the film with the sound, showing the progress dialog, whose cancel button
// abandons the video; says when the video is done.
void ExportVideo(const Film& film, Dialogs& dialogs, Progress& progress, const LanguageTable& texts,
                 int playbackRate, SoundPlacement sound,
                 const std::function<void()>& beforeWriting);

}  // namespace morvel
