#include "test_support/recording_shell.h"

#include <stdexcept>

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

std::string RecordingShell::chooseLanguage(const std::vector<std::string>& languages,
                                           std::size_t preselected) {
    languageChoices.push_back(languages);
    languagePreselections.push_back(preselected);
    return takeFront(languageAnswers, std::string());
}

GadgetHandle RecordingShell::createThumbnailGadget(const Image& thumbnail, int x, int y,
                                                   const std::string& tooltip) {
    thumbnails[++lastHandle] = {x, y, tooltip, thumbnail.width(), thumbnail.height()};
    return lastHandle;
}

void RecordingShell::moveThumbnailGadget(GadgetHandle gadget, int x) {
    auto found = thumbnails.find(gadget);
    if (found == thumbnails.end())
        throw std::logic_error("moving a thumbnail gadget that does not exist");
    found->second.x = x;
}

void RecordingShell::destroyThumbnailGadget(GadgetHandle gadget) {
    if (thumbnails.erase(gadget) != 1) throw std::logic_error("freeing a thumbnail gadget twice");
}

bool RecordingShell::runSaveWindow(const SaveWindowPlan& plan, SaveWindowFields& fields) {
    saveWindowsShown.push_back(fields);
    saveWindowPlans.push_back(plan);
    const auto answer = takeFront(saveWindowAnswers, std::optional<SaveWindowFields>());
    if (!answer) return false;
    fields = *answer;
    return true;
}

std::string RecordingShell::chooseCamera(const CameraChooser& chooser) {
    cameraChoosers.push_back(chooser);
    return takeFront(cameraAnswers, std::string());
}

bool RecordingShell::editShootingSettings(const ShootingSettingsDialog&,
                                          ShootingSettingsFields& fields) {
    shootingSettingsShown.push_back(fields);
    const auto answer = takeFront(shootingSettingsAnswers, std::optional<ShootingSettingsFields>());
    if (!answer) return false;
    fields = *answer;
    return true;
}

std::string RecordingShell::requestText(const std::string& title, const std::string& message,
                                        const std::string& defaultText) {
    textRequests.push_back({title, message, defaultText});
    return takeFront(textAnswers, std::string());
}

int RecordingShell::chooseFolder(const std::string&, const std::string& text,
                                 const std::vector<FolderCandidate>& candidates) {
    questions.push_back(text);
    folderChoices.push_back(candidates);
    return takeFront(folderChoiceAnswers, -1);
}

std::string RecordingShell::requestFolder(const std::string& title) {
    folderRequests.push_back(title);
    return takeFront(folderAnswers, std::string());
}

DropAction RecordingShell::dragThumbnail(const Image& thumbnail) {
    if (thumbnail.empty()) throw std::logic_error("dragging a thumbnail without a picture");
    ++drags;
    if (duringDrag) duringDrag();
    return takeFront(dragAnswers, DropAction::None);
}

bool RecordingShell::showProgress(const ImportStep& step) {
    progressSteps.push_back(step);
    progressShown = true;
    return static_cast<int>(progressSteps.size()) != cancelProgressAtStep;
}

void RecordingShell::hideProgress() {
    if (progressShown) ++progressHidden;
    progressShown = false;
}

std::vector<std::string> RecordingShell::errorTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : errors) texts.push_back(message.text);
    return texts;
}

void RecordingShell::setScrollBar(int gadget, int maximum, int page, int position) {
    scrollBars[gadget] = {maximum, page};
    const int last = page >= maximum ? 0 : maximum - page;
    gadgetStates[gadget] = position < 0 ? 0 : (position > last ? last : position);
}

bool RecordingShell::buildMainWindow(const MainWindowPlan& plan) {
    if (failWindowBuild) return false;
    windowsBuilt.push_back(plan);
    // A new window starts without gadget states of the old one; its spins show their start values.
    gadgetShown.clear();
    gadgetEnabled.clear();
    gadgetStates.clear();
    scrollBars.clear();
    placements.clear();
    for (const GadgetPlan& gadget : plan.gadgets) {
        if (gadget.kind == GadgetKind::SpinField) gadgetStates[gadget.number] = gadget.state;
    }
    // The menu items start as the plan has them.
    menuItemEnabled.clear();
    const auto addItems = [this](const auto& self, const std::vector<MenuEntry>& entries) -> void {
        for (const MenuEntry& entry : entries) {
            if (entry.item != 0) menuItemEnabled[entry.item] = entry.enabled;
            self(self, entry.entries);
        }
    };
    addItems(addItems, plan.menuBar);
    return true;
}

void RecordingShell::setClientSize(int width, int height) {
    client = {width, height};
    clientResizes.push_back(client);
}

void RecordingShell::placeGadget(int gadget, int x, int y, int width, int height) {
    placements[gadget] = {x, y, width, height};
}

}  // namespace morvel::testing
