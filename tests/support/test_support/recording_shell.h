#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace morvel::testing {

// A Shell for tests: records what the core shows and answers from scripted queues. An empty
// queue answers No / cancel / "".
class RecordingShell : public Shell {
public:
    struct Message {
        std::string caption;
        std::string text;
    };

    std::vector<Message> errors;
    std::vector<std::string> questions;
    std::vector<FileRequest> openRequests;
    std::vector<FileRequest> saveRequests;
    std::vector<std::vector<std::string>> languageChoices;
    std::vector<std::string> windowTitles;
    int canvasRedraws = 0;
    int compositeResizes = 0;

    std::deque<Answer> answers;
    std::deque<FileChoice> openAnswers;
    std::deque<FileChoice> saveAnswers;
    std::deque<std::string> languageAnswers;

    void showError(const std::string& caption, const std::string& text) override;
    Answer ask(const std::string& title, const std::string& text) override;
    FileChoice requestOpenFile(const FileRequest& request) override;
    FileChoice requestSaveFile(const FileRequest& request) override;
    std::string chooseLanguage(const std::vector<std::string>& languages) override;
    void setWindowTitle(const std::string& title) override { windowTitles.push_back(title); }
    void redrawCanvas() override { ++canvasRedraws; }
    void compositeResized(int, int) override { ++compositeResizes; }

    // The error texts only, for short assertions.
    std::vector<std::string> errorTexts() const;
};

}  // namespace morvel::testing
