#include "export/export_on_worker.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "platform/files.h"
#include "platform/text.h"

namespace morvel {

// The worker's stand-in for the dialogs: it keeps the boxes to show, nothing is asked.
class ExportLink::Collected final : public Dialogs {
public:
    struct Box {
        bool error;
        std::string caption;
        std::string text;
    };
    std::vector<Box> boxes;

    void showError(const std::string& caption, const std::string& text) override {
        boxes.push_back({true, caption, text});
    }
    void showMessage(const std::string& caption, const std::string& text) override {
        boxes.push_back({false, caption, text});
    }
    Answer ask(const std::string&, const std::string&) override { return Answer::Cancel; }
    FileChoice requestOpenFile(const FileRequest&) override { return {}; }
    FileChoice requestSaveFile(const FileRequest&) override { return {}; }
    std::string requestText(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string requestFolder(const std::string&) override { return {}; }
    int chooseFolder(const std::string&, const std::string&,
                     const std::vector<FolderCandidate>&) override {
        return -1;
    }
    std::string chooseLanguage(const std::vector<std::string>&, std::size_t) override {
        return {};
    }
    bool runSaveWindow(const SaveWindowPlan&, SaveWindowFields&) override { return false; }
    std::string chooseCamera(const CameraChooser&) override { return {}; }
    bool editShootingSettings(const ShootingSettingsDialog&, ShootingSettingsFields&) override {
        return false;
    }
};

ExportLink::ExportLink(BackgroundJob& job, const LanguageTable& texts, Dialogs& dialogs,
                       int total, std::shared_ptr<ExportOutcome> outcome)
    : m_job(job),
      m_texts(texts),
      m_dialogs(dialogs),
      m_total(total),
      m_outcome(std::move(outcome)),
      m_collected(std::make_unique<Collected>()) {}

ExportLink::~ExportLink() = default;

ErrorReporter ExportLink::reporter() const {
    return ErrorReporter(m_texts, *m_collected);
}

void ExportLink::wrote(const std::string& file) {
    m_files.push_back(file);
}

void ExportLink::frameDone() {
    ++m_frames;
    deliver(false);
}

void ExportLink::finish() {
    deliver(true);
}

void ExportLink::deliver(bool last) {
    const bool cancelled = last && m_frames < m_total && stopRequested();
    m_job.deliver([boxes = std::exchange(m_collected->boxes, {}),
                   files = std::exchange(m_files, {}), &dialogs = m_dialogs, outcome = m_outcome,
                   cancelled] {
        for (const Collected::Box& box : boxes) {
            if (box.error)
                dialogs.showError(box.caption, box.text);
            else
                dialogs.showMessage(box.caption, box.text);
        }
        outcome->written.insert(outcome->written.end(), files.begin(), files.end());
        outcome->cancelled = outcome->cancelled || cancelled;
    });
}

void RunExportOnWorker(BackgroundWatch* watch, Dialogs& dialogs, const LanguageTable& texts,
                       const std::string& title, int total,
                       std::function<void(ExportLink&)> write,
                       std::function<void(const ExportOutcome&)> over) {
    auto outcome = std::make_shared<ExportOutcome>();
    auto job = std::make_unique<BackgroundJob>();
    job->start(
        [&texts, &dialogs, total, outcome, write = std::move(write)](BackgroundJob& self) {
            ExportLink link(self, texts, dialogs, total, outcome);
            write(link);
            link.finish();
        },
        total);
    const auto start = std::chrono::steady_clock::now();
    BackgroundTexts shown{title, texts[Text::ProgressCancel], [&texts, start](int done, int all) {
                              const std::chrono::duration<double> soFar =
                                  std::chrono::steady_clock::now() - start;
                              return ExportProgressLine(texts, done, all, soFar.count());
                          }};
    auto finished = [outcome, over = std::move(over)] {
        if (over) over(*outcome);
    };
    if (watch) {
        watch->watch(std::move(job), std::move(shown), std::move(finished));
    } else {
        WaitForJob(*job, finished);
    }
}

std::string ExportProgressLine(const LanguageTable& texts, int done, int total,
                               double secondsSoFar) {
    const int shown = std::clamp(done + 1, 1, std::max(1, total));
    const bool estimate = done > 0 && done < total;
    std::string line = texts[estimate ? Text::ProgressExportframeleft : Text::ProgressExportframe];
    line = ReplaceAll(line, "$K", std::to_string(shown));
    line = ReplaceAll(line, "$N", std::to_string(total));
    if (estimate) {
        const auto left = static_cast<long>(std::lround(secondsSoFar / done * (total - done)));
        const std::string seconds = std::to_string(left % 60);
        line = ReplaceAll(line, "$TIME",
                          std::to_string(left / 60) + ":" + (left % 60 < 10 ? "0" : "") + seconds);
    }
    return line;
}

std::string ExportEndNotice(const LanguageTable& texts, const ExportOutcome& outcome) {
    if (outcome.written.empty())
        return texts[outcome.cancelled ? Text::ElseExportcancellednone : Text::ElseExportnone];
    const std::vector<std::string>& files = outcome.written;
    std::string names = FilePart(files.front());
    if (files.size() == 2) names += ", " + FilePart(files.back());
    if (files.size() > 2)
        names += " … " + FilePart(files.back()) + " (" + std::to_string(files.size()) + ")";
    std::string notice = texts[outcome.cancelled ? Text::ElseExportcancelled : Text::ElseExportdone];
    notice = ReplaceAll(notice, "$FILES", names);
    return ReplaceAll(notice, "$FOLDER", FolderPart(files.front()));
}

}  // namespace morvel
