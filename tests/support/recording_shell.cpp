#include "test_support/recording_shell.h"

namespace morvel::testing {

namespace {

template <typename T>
T takeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
}

}  // namespace

void RecordingShell::showError(const std::string& caption, const std::string& text) {
    errors.push_back({caption, text});
}

Answer RecordingShell::ask(const std::string& title, const std::string& text) {
    questions.push_back(title + "|" + text);
    return takeFront(answers, Answer::No);
}

FileChoice RecordingShell::requestOpenFile(const FileRequest& request) {
    openRequests.push_back(request);
    return takeFront(openAnswers, FileChoice{});
}

FileChoice RecordingShell::requestSaveFile(const FileRequest& request) {
    saveRequests.push_back(request);
    return takeFront(saveAnswers, FileChoice{});
}

std::string RecordingShell::chooseLanguage(const std::vector<std::string>& languages) {
    languageChoices.push_back(languages);
    return takeFront(languageAnswers, std::string());
}

std::vector<std::string> RecordingShell::errorTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : errors) texts.push_back(message.text);
    return texts;
}

}  // namespace morvel::testing
