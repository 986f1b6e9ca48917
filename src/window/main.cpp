// morvel: the window program.

#include <QApplication>
#include <QFile>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/start_up.h"
#include "editor/decode_ahead.h"
#include "editor/quick_stand_in.h"
#include "platform/files.h"
#include "platform/session_folder.h"
#include "platform/single_instance.h"
#include "project/session_journal.h"
#include "window/qt_shell.h"
#include "window/qt_sound_output.h"
#include "window/termination.h"
#include "window/window_hooks.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Morvel");
    morvel::QtShell shell;
    const morvel::TerminationSignals termination(shell);
    // The working files live in a session folder of their own that outlives a crash; without
    // one, in the temporary folder as before, and nothing can be recovered.
    const std::string sessions = morvel::SessionsFolder();
    std::optional<morvel::SessionFolder> session = morvel::SessionFolder::create(sessions);
    // The neighbours of the displayed frame are decoded ahead, so that frame steps are quick.
    morvel::DecodeAhead decodeAhead;
    // A step to a frame the playback cache lacks shows a coarse picture of it meanwhile.
    morvel::QuickStandIn quickStandIn;
    morvel::Program state(shell, session ? session->path() : morvel::TemporaryFolder(),
                          morvel::FindProgramFiles(morvel::ExecutableFolder()));
    state.session.pictureReader = &decodeAhead;
    state.session.quickStandIn = &quickStandIn;
    morvel::QtSoundOutput soundOutput;
    state.sound.output = &soundOutput;
    // A sound track decoded on a worker wakes the loop, which takes it in.
    state.sound.wake = [&shell] {
        QMetaObject::invokeMethod(
            &shell, [&shell] { shell.post(morvel::Event{}); }, Qt::QueuedConnection);
    };
    if (session) {
        state.services.sessionsFolder = sessions;
        state.session.record.writer = std::make_shared<morvel::SessionWriter>(session->path());
    } else {
        state.services.unprotectedSessions = sessions.empty() ? "~/.local/state/morvel/" : sessions;
    }
    shell.attachCanvas(state.view.canvas);
    // Qt has taken its own options out of argv; the first of the rest names a project.
    std::vector<std::string> arguments;
    const QStringList rest = QApplication::arguments();
    for (int i = 1; i < rest.size(); ++i)
        arguments.push_back(QFile::encodeName(rest[i]).toStdString());
    const morvel::DispatchHooks hooks = morvel::WindowHooks(shell);
    shell.setOwnDropHandler(
        [&state, &hooks](const morvel::Event& drop) { morvel::Dispatch(state, drop, hooks); });
    const int status =
        morvel::RunProgram(state, shell, arguments, morvel::InstanceLockFolder(), hooks);
    state.session.record.writer.reset();  // everything asked is written
    // An orderly end tidies up; after a fatal end the session stays to be recovered.
    if (session && !state.services.mustEnd && !state.session.record.keep) session->remove();
    return status;
}
