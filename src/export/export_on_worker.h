#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "i18n/error_reporter.h"
#include "i18n/language_table.h"
#include "platform/background_watch.h"
#include "platform/dialogs.h"

namespace morvel {

// How an export on a worker ended: the files it put in place, in order, and whether Cancel
// stopped it before its last frame.
struct ExportOutcome {
    std::vector<std::string> written;
    bool cancelled = false;
};

// The worker's side of an export. Its error reports and the files it wrote reach the main
// thread with the frame they belong to, so that message boxes open there and in frame order.
class ExportLink {
public:
    ExportLink(BackgroundJob& job, const LanguageTable& texts, Dialogs& dialogs, int total,
               std::shared_ptr<ExportOutcome> outcome);
    ~ExportLink();
    ExportLink(const ExportLink&) = delete;
    ExportLink& operator=(const ExportLink&) = delete;

    // Reports that wait for the next frameDone or finish.
    ErrorReporter reporter() const;
    bool stopRequested() const { return m_job.cancelRequested(); }
    int framesDone() const { return m_frames; }

    void wrote(const std::string& file);
    // Hands one frame's reports and files to the main thread.
    void frameDone();
    // Hands over what is left and how the export ended.
    void finish();

private:
    class Collected;
    void deliver(bool last);

    BackgroundJob& m_job;
    const LanguageTable& m_texts;
    Dialogs& m_dialogs;
    int m_total;
    int m_frames = 0;
    std::shared_ptr<ExportOutcome> m_outcome;
    std::unique_ptr<Collected> m_collected;
    std::vector<std::string> m_files;
};

// Runs write (total frames, each ending in frameDone) on a worker, watched by watch or, without
// one, waited for here; then over on the main thread.
void RunExportOnWorker(BackgroundWatch* watch, Dialogs& dialogs, const LanguageTable& texts,
                       const std::string& title, int total,
                       std::function<void(ExportLink&)> write,
                       std::function<void(const ExportOutcome&)> over);

// The progress line: the frame under way of total and, once a frame is done, the time left as
// the frames so far took it.
std::string ExportProgressLine(const LanguageTable& texts, int done, int total,
                               double secondsSoFar);

// The status line's notice at the end: the files written (the first and the last of more than
// two) and their folder, or that none was written.
std::string ExportEndNotice(const LanguageTable& texts, const ExportOutcome& outcome);

}  // namespace morvel
