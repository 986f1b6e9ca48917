#include "window/window_hooks.h"

#include <memory>

#include "app/about_text.h"
#include "app/film_sound.h"
#include "app/playback.h"
#include "app/remembered_workplace.h"
#include "editor/canvas_film.h"
#include "editor/masks.h"
#include "export/avi_export.h"
#include "export/image_sequence.h"
#include "export/video_export_dialog.h"
#include "project/file_association.h"
#include "window/about_box.h"
#include "window/carry_masks_in_window.h"
#include "window/export_watch.h"
#include "window/qt_shell.h"

namespace morvel {

DispatchHooks WindowHooks(QtShell& shell) {
    DispatchHooks hooks;
    hooks.associateProjectFiles = [](Program& state) {
        AssociateProjectFilesWithThisProgram(state.services);
    };
    hooks.showAboutBox = [&shell](Program& state) {
        const LanguageTable& texts = state.services.language.texts;
        ShowAboutBox(texts[Text::MainMenuAbout], texts[Text::SaveWindowOk],
                     AboutText(ThisBuild(), texts[Text::AboutNotices]), shell.mainWindow());
    };
    // The player lives as long as the hooks: the rate and the composed frames are kept.
    auto player = std::make_shared<FilmPlayer>();
    hooks.play = [&shell, player](Program& state) {
        shell.setPlaying(true);
        PlayFilm(state, *player, shell, [&shell](const Event& event) { shell.post(event); });
        shell.setPlaying(false);
    };
    hooks.playLastFrames = [&shell, player](Program& state) {
        shell.setPlaying(true);
        PlayLastFrames(state, *player, shell, state.view.shooting.settings.lastFrames,
                       [&shell](const Event& event) { shell.post(event); });
        shell.setPlaying(false);
    };
    hooks.askPlaybackRate = [player](Program& state) {
        AskPlaybackRate(state, *player);
        state.sound.rate = player->rate;  // the waveform's bars follow it
    };
    // The exports run on a worker, one at a time, while the window repaints; their file
    // requesters open where each was last left.
    auto exports = std::make_shared<ExportWatch>(shell);
    hooks.exportImageSequence = [exports](Program& state) {
        if (exports->busy()) return;
        FolderKeepingDialogs requesters = RequesterDialogs(state, kImagesRequester);
        ExportImageSequence(
            FilmOf(state.document, state.session), state.services.shell, state.services.language.texts,
            [&] { StoreDisplayedMask(state.document, state.session, state.services); },
            exports.get(), &requesters);
    };
    hooks.exportAviVideo = [exports, player](Program& state) {
        if (exports->busy()) return;
        FolderKeepingDialogs requesters = RequesterDialogs(state, kAviRequester);
        ExportAviVideo(FilmOf(state.document, state.session), state.services.shell, state.services.language.texts,
                       state.services.files.libraryFolder, player->rate,
                       [&] { StoreDisplayedMask(state.document, state.session, state.services); },
                       FilmSoundPlacement(state), exports.get(), &requesters);
    };
    hooks.exportVideo = [exports, player](Program& state) {
        if (exports->busy()) return;
        FolderKeepingDialogs requesters = RequesterDialogs(state, kVideoRequester);
        ExportVideo(FilmOf(state.document, state.session), state.services.shell, state.services.language.texts,
                    player->rate, FilmSoundPlacement(state),
                    [&] { StoreDisplayedMask(state.document, state.session, state.services); },
                    exports.get(), &requesters);
    };
    hooks.idle = [player](Program& state) {
        state.sound.rate = player->rate;
        SyncFilmSound(state);
        state.session.playbackCache = &player->cache;  // the onion skin looks there first
        FillWhileIdle(state.document, state.session, state.view, *player);
    };
    // While the user works, one core is left to the window and the frames decoded ahead.
    hooks.busy = [player](Program&) { player->cache.setActiveThreads(1); };
    // One run of carried masks at a time, applied between events as its frames are done.
    auto carrying = std::make_shared<CarryMasksInWindow>();
    hooks.carryMasks = [&shell, carrying](Program& state) { carrying->start(state, shell); };
    hooks.background = [carrying, exports](Program&) {
        carrying->takeResults();
        exports->takeResults();
    };
    return hooks;
}

}  // namespace morvel
