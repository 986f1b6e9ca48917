#include "export/video_export_dialog.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "export/avi_export.h"
#include "export/export_on_worker.h"
#include "export/film_snapshot.h"
#include "project/name_template.h"

namespace morvel {

void ExportVideo(const Film& film, Shell& shell, const LanguageTable& texts, int playbackRate,
                 SoundPlacement sound, const std::function<void()>& beforeWriting,
                 BackgroundWatch* watch, Dialogs* requesters) {
    Dialogs& ask = requesters ? *requesters : shell;
    const FileChoice choice = ask.requestSaveFile(
        {texts[Text::RequesterVideoexporttitle], "film", texts[Text::RequesterVideoexporttext], 0});
    if (choice.path.empty()) return;
    const std::string rate =
        ask.requestText(texts[Text::RequesterAviframerate], texts[Text::RequesterAviframeratetext],
                        std::to_string(playbackRate));
    if (rate.empty()) return;
    VideoJob job;
    job.format = choice.filterIndex == 1 ? VideoFormat::Mov : VideoFormat::Mp4;
    job.path = ReplaceExtension(choice.path, VideoExtension(job.format));
    job.fps = FrameRateFromAnswer(rate, playbackRate);
    job.sound = sound;
    job.readers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (beforeWriting) beforeWriting();
    if (film.size() == 0) return;
    RunExportOnWorker(
        watch, shell, texts, texts[Text::RequesterVideoexporttitle], film.size(),
        [snapshot = std::make_shared<const FilmSnapshot>(film), job](ExportLink& link) {
            VideoJob linked = job;
            linked.progress = [&link](int, int) { link.frameDone(); };
            linked.stopRequested = [&link] { return link.stopRequested(); };
            if (WriteVideo(snapshot->film(), link.reporter(), linked) == VideoResult::Written)
                link.wrote(job.path);
        },
        [&shell, &texts](const ExportOutcome& outcome) {
            shell.showStatus(StatusPart::Notice, ExportEndNotice(texts, outcome));
        });
}

}  // namespace morvel
