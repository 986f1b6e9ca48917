#include "window/window_hooks.h"

#include "app/about_text.h"
#include "export/avi_export.h"
#include "project/file_association.h"
#include "window/about_box.h"
#include "window/qt_shell.h"

namespace morvel {

DispatchHooks WindowHooks(QtShell& shell) {
    DispatchHooks hooks;
    hooks.exportAviVideo = [](ProgramState& state) { ExportAviVideo(state); };
    hooks.associateProjectFiles = [](ProgramState& state) {
        AssociateProjectFilesWithThisProgram(state);
    };
    hooks.showAboutBox = [&shell](ProgramState& state) {
        const LanguageTable& texts = state.language.texts;
        ShowAboutBox(texts[Text::MainMenuAbout], texts[Text::SaveWindowOk],
                     AboutText(ThisBuild(), texts[Text::AboutNotices]), shell.mainWindow());
    };
    return hooks;
}

}  // namespace morvel
