#pragma once

#include <string>

#include "platform/dialogs.h"
#include "project/workplace.h"

namespace morvel {

// Names of the file requesters whose last folders the workplace keeps.
constexpr const char* kProjectRequester = "project";
constexpr const char* kSaveRequester = "save";  // the save window
constexpr const char* kSoundRequester = "sound";
constexpr const char* kImagesRequester = "images";
constexpr const char* kAviRequester = "avi";
constexpr const char* kVideoRequester = "video";

// The dialogs of an operation whose file requesters open where that requester was last left
// (else in the project's folder) and remember where the user went. The rest passes through.
class FolderKeepingDialogs : public Dialogs {
public:
    FolderKeepingDialogs(Dialogs& dialogs, Workplace& workplace, std::string requester,
                         std::string projectFile)
        : m_dialogs(dialogs),
          m_workplace(workplace),
          m_requester(std::move(requester)),
          m_projectFile(std::move(projectFile)) {}

    void showError(const std::string& caption, const std::string& text) override {
        m_dialogs.showError(caption, text);
    }
    void showMessage(const std::string& caption, const std::string& text) override {
        m_dialogs.showMessage(caption, text);
    }
    Answer ask(const std::string& title, const std::string& text) override {
        return m_dialogs.ask(title, text);
    }
    FileChoice requestOpenFile(const FileRequest& request) override {
        return kept(m_dialogs.requestOpenFile(placed(request)));
    }
    FileChoice requestSaveFile(const FileRequest& request) override {
        return kept(m_dialogs.requestSaveFile(placed(request)));
    }
    std::string requestText(const std::string& title, const std::string& message,
                            const std::string& defaultText) override {
        return m_dialogs.requestText(title, message, defaultText);
    }
    std::string requestFolder(const std::string& title) override {
        return m_dialogs.requestFolder(title);
    }
    int chooseFolder(const std::string& title, const std::string& text,
                     const std::vector<FolderCandidate>& candidates) override {
        return m_dialogs.chooseFolder(title, text, candidates);
    }
    std::string chooseLanguage(const std::vector<std::string>& languages,
                               std::size_t preselected) override {
        return m_dialogs.chooseLanguage(languages, preselected);
    }
    bool runSaveWindow(const SaveWindowPlan& plan, SaveWindowFields& fields) override {
        return m_dialogs.runSaveWindow(plan, fields);
    }
    std::string chooseCamera(const CameraChooser& chooser) override {
        return m_dialogs.chooseCamera(chooser);
    }
    bool editShootingSettings(const ShootingSettingsDialog& dialog,
                              ShootingSettingsFields& fields) override {
        return m_dialogs.editShootingSettings(dialog, fields);
    }

private:
    FileRequest placed(FileRequest request) const {
        if (request.folder.empty())
            request.folder = m_workplace.folderFor(m_requester, m_projectFile);
        return request;
    }
    FileChoice kept(FileChoice choice) {
        if (!choice.path.empty()) m_workplace.rememberFolder(m_requester, choice.path);
        return choice;
    }

    Dialogs& m_dialogs;
    Workplace& m_workplace;
    std::string m_requester;
    std::string m_projectFile;
};

}  // namespace morvel
