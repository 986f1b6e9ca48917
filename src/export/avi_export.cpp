#include "export/avi_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <thread>

#include "export/export_on_worker.h"
#include "export/film_snapshot.h"
#include "export/stretch_picture.h"
#include "platform/files.h"
#include "platform/work_queue.h"
#include "project/name_template.h"
#include "sequence/frame_sequence.h"

namespace morvel {

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Reports the start failures; true when the server is ready.
bool started(const ErrorReporter& reporter, const std::string& libraryFolder, AviServer& server) {
    switch (server.start(libraryFolder)) {
        case AviServer::Start::Ready:
            return true;
        case AviServer::Start::NotLoaded:
            reporter.report(ErrorKind::InitAviExport, ErrorPlace::AviExport, 0);
            return false;
        case AviServer::Start::InitFailed:
            reporter.report(ErrorKind::InitAviExport, ErrorPlace::AviExport, 1);
            return false;
    }
    return false;
}

// Writes the video beside target and puts it in place when every frame went in.
void WriteStagedAvi(const Film& film, ExportLink& link, AviServer& server, AviVideoJob job,
                    const std::string& target, int total) {
    const ErrorReporter reporter = link.reporter();
    RemoveLeftoverStagingFiles(FolderPart(target));
    std::string staged = StagingPattern(target);
    const int fd = ::mkostemp(staged.data(), O_CLOEXEC);
    if (fd < 0) {  // the folder is gone or takes no files: as a video that cannot be opened
        reporter.report(ErrorKind::UseAviExport, ErrorPlace::AviExport, 0);
        return;
    }
    ::fchmod(fd, 0644);
    ::close(fd);
    int damaged = 0;
    job.path = staged;
    job.progress = [&link](int, int) { link.frameDone(); };
    job.stopRequested = [&link] { return link.stopRequested(); };
    job.damaged = [&damaged] { ++damaged; };
    const bool opened = WriteAviVideo(film, reporter, server, job);
    const bool complete = opened && damaged == 0 && link.framesDone() == total;
    if (complete && ::rename(staged.c_str(), target.c_str()) == 0) {
        link.wrote(target);
        return;
    }
    ::unlink(staged.c_str());
    if (complete) reporter.report(ErrorKind::SaveImage, ErrorPlace::AviExport, 22, target);
}

}  // namespace

std::int32_t ReadRequesterInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::uint32_t base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    std::uint32_t value = 0;  // wraps around like the 32-bit integer it becomes
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit >= static_cast<int>(base)) break;
        value = value * base + static_cast<std::uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

int FrameRateFromAnswer(std::string_view answer, int offered) {
    const std::int32_t rate = ReadRequesterInteger(answer);
    return rate >= kMinFrameRate && rate <= kMaxFrameRate ? rate : offered;
}

AviWriterRecord MakeAviWriterRecord(int width, int height, int frameRate) {
    AviWriterRecord record{};
    record.width = width;
    record.height = height;
    record.frameRate = static_cast<std::int8_t>(frameRate);
    return record;
}

AviServer::Start AviServer::start(const std::string& folder) {
    quit();
    if (!m_library.load(folder + AVISERV_FILE_NAME)) return Start::NotLoaded;
    const auto init = m_library.function<AVI_InitFunction>("AVI_Init");
    if (!init || init() == 0) {
        m_library.unload();
        return Start::InitFailed;
    }
    m_open = m_library.function<OpenAVIforWriteFunction>("OpenAVIforWrite");
    m_add = m_library.function<AddFrameToAVIFunction>("AddFrameToAVI");
    m_addSound = m_library.function<AddSoundToAVIFunction>("AddSoundToAVI");
    m_close = m_library.function<CloseAVIStreamsFunction>("CloseAVIStreams");
    m_quit = m_library.function<AVI_QuitFunction>("AVI_Quit");
    return Start::Ready;
}

bool AviServer::open(const std::string& path, const AviWriterRecord& record) {
    return m_open && m_open(path.c_str(), &record) != 0;
}

bool AviServer::addFrame(const Image& picture) {
    if (!m_add) return false;
    const AviBitmap bitmap{picture.width(), picture.height(),
                           static_cast<std::int32_t>(picture.stride()), picture.data()};
    return m_add(&bitmap, -1) == 1;
}

bool AviServer::addSound(const std::vector<float>& samples) {
    if (!m_addSound) return false;
    std::vector<std::int16_t> pcm(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767));
    const AviSound sound{SoundSamples::kRate, SoundSamples::kChannels,
                         static_cast<std::int64_t>(pcm.size() / SoundSamples::kChannels),
                         pcm.data()};
    return m_addSound(&sound) == 1;
}

bool AviServer::close() {
    return m_close && m_close() == 1;
}

void AviServer::quit() {
    if (!m_library.loaded()) return;
    if (m_quit) m_quit();
    m_open = nullptr;
    m_add = nullptr;
    m_addSound = nullptr;
    m_close = nullptr;
    m_quit = nullptr;
    m_library.unload();
}

bool WriteAviVideo(const Film& film, ErrorReporter reporter, AviServer& server,
                   const AviVideoJob& job) {
    // Destroyed in reverse: the sequence skips the reads it queued, then the queue ends.
    WorkQueue queue(std::max(0, job.readers));
    FrameSequence frames(film, job.first, job.last, queue, reporter, job.readers > 0 ? 1 : 0);
    const int total = frames.total();
    AviWriterRecord record{};  // a width of 0: not opened yet
    while (!frames.atEnd()) {
        if (job.stopRequested && job.stopRequested()) break;
        const int i = frames.index();
        const Image& composite = frames.composeNext();
        if (record.width == 0) {
            const int rate = job.frameRate ? job.frameRate() : kDefaultFrameRate;
            record = MakeAviWriterRecord(composite.width(), composite.height(), rate);
            if (!server.open(job.path, record)) {
                reporter.report(ErrorKind::UseAviExport, ErrorPlace::AviExport, 0);
                return false;
            }
            if (job.sound.sound && server.takesSound()) {
                std::vector<float> span;
                SoundSpan(job.sound, rate, job.first, 0, SoundFramesBefore(total, rate), span);
                if (!server.addSound(span))
                    reporter.report(ErrorKind::UseAviExport, ErrorPlace::AviExport, 2);
            }
        }
        bool added = false;
        if (composite.width() == record.width && composite.height() == record.height) {
            added = server.addFrame(composite);
        } else {
            const Image stretched = StretchPicture(composite, record.width, record.height);
            added = !stretched.empty() && server.addFrame(stretched);
        }
        if (!added) {
            reporter.report(ErrorKind::UseAviExport, ErrorPlace::AviExport, 1);
            if (job.damaged) job.damaged();
        }
        if (job.progress) job.progress(i - frames.first() + 1, total);
    }
    if (!server.close() && record.width != 0) {
        reporter.report(ErrorKind::UseAviExport, ErrorPlace::AviExport, 3);
        if (job.damaged) job.damaged();
    }
    return true;
}

void ExportAviVideo(const Film& film, Shell& shell, const LanguageTable& texts,
                    const std::string& libraryFolder, int playbackRate,
                    const std::function<void()>& beforeWriting, SoundPlacement sound,
                    BackgroundWatch* watch, Dialogs* requesters) {
    Dialogs& ask = requesters ? *requesters : shell;
    auto server = std::make_shared<AviServer>();
    if (!started(ErrorReporter(texts, shell), libraryFolder, *server)) return;
    const FileChoice choice = ask.requestSaveFile(
        {texts[Text::RequesterAviexporttitle], "film", texts[Text::RequesterAviexporttext], 0});
    if (choice.path.empty()) return;
    if (film.size() == 0) {  // no video, but the library is closed as after one
        if (beforeWriting) beforeWriting();
        server->close();
        return;
    }
    const std::string answer =
        ask.requestText(texts[Text::RequesterAviframerate], texts[Text::RequesterAviframeratetext],
                        std::to_string(playbackRate));
    if (answer.empty()) return;
    if (beforeWriting) beforeWriting();
    AviVideoJob job;
    job.sound = sound;
    job.readers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    job.frameRate = [rate = FrameRateFromAnswer(answer, playbackRate)] { return rate; };
    const int total = film.size();
    RunExportOnWorker(
        watch, shell, texts, texts[Text::RequesterAviexporttitle], total,
        [server, snapshot = std::make_shared<const FilmSnapshot>(film), job,
         target = ReplaceExtension(choice.path, ".avi"), total](ExportLink& link) {
            WriteStagedAvi(snapshot->film(), link, *server, job, target, total);
            server->quit();
        },
        [&shell, &texts](const ExportOutcome& outcome) {
            shell.showStatus(StatusPart::Notice, ExportEndNotice(texts, outcome));
        });
}

bool RenderAviVideo(const Film& film, ErrorReporter reporter, const std::string& libraryFolder,
                    const AviVideoJob& job) {
    AviServer server;
    if (!started(reporter, libraryFolder, server)) return false;
    const bool opened = WriteAviVideo(film, reporter, server, job);
    server.quit();
    return opened;
}

}  // namespace morvel
