#include "export/video_export_dialog.h"

#include <algorithm>
#include <thread>

#include "export/avi_export.h"
#include "platform/files.h"
#include "platform/text.h"
#include "project/name_template.h"

namespace morvel {

void ExportVideo(const Film& film, Dialogs& dialogs, Progress& progress, const LanguageTable& texts,
                 int playbackRate, SoundPlacement sound,
                 const std::function<void()>& beforeWriting) {
    const FileChoice choice = dialogs.requestSaveFile(
        {texts[Text::RequesterVideoexporttitle], "film", texts[Text::RequesterVideoexporttext], 0});
    if (choice.path.empty()) return;
    const std::string rate =
        dialogs.requestText(texts[Text::RequesterAviframerate],
                            texts[Text::RequesterAviframeratetext], std::to_string(playbackRate));
    if (rate.empty()) return;
    VideoJob job;
    job.format = choice.filterIndex == 1 ? VideoFormat::Mov : VideoFormat::Mp4;
    job.path = ReplaceExtension(choice.path, VideoExtension(job.format));
    job.fps = FrameRateFromAnswer(rate);
    job.sound = sound;
    job.readers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    bool cancelled = false;
    bool shown = false;
    job.progress = [&](int written, int total) {
        ImportStep step;
        step.k = written;
        step.n = total;
        step.fileName = FilePart(job.path);
        step.label = ReplaceAll(ReplaceAll(texts[Text::ProgressVideoexport], "$K",
                                           std::to_string(written)),
                                "$N", std::to_string(total));
        step.cancel = texts[Text::ProgressCancel];
        shown = true;
        cancelled = !progress.showProgress(step);
    };
    job.stopRequested = [&] { return cancelled; };
    if (beforeWriting) beforeWriting();
    const VideoResult result = WriteVideo(film, ErrorReporter(texts, dialogs), job);
    if (shown) progress.hideProgress();
    if (result == VideoResult::Written) {
        dialogs.showMessage(texts[Text::RequesterVideoexporttitle],
                            ReplaceAll(texts[Text::RequesterVideoexportdone], "$FILE", job.path));
    }
}

}  // namespace morvel
