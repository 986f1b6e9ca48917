// morvel: the window program.

#include <QApplication>
#include <QFile>
#include <string>
#include <vector>

#include "app/start_up.h"
#include "import/decode_ahead.h"
#include "platform/files.h"
#include "platform/single_instance.h"
#include "project/program_state.h"
#include "window/qt_shell.h"
#include "window/termination.h"
#include "window/window_hooks.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Morvel");
    morvel::QtShell shell;
    const morvel::TerminationSignals termination(shell);
    // The neighbours of the displayed frame are decoded ahead, so that frame steps are quick.
    morvel::DecodeAhead decodeAhead;
    morvel::ProgramState state(shell, morvel::TemporaryFolder(),
                               morvel::FindProgramFiles(morvel::ExecutableFolder()));
    state.pictureReader = &decodeAhead;
    shell.attachCanvas(state.images.canvas);
    // Qt has taken its own options out of argv; the first of the rest names a project.
    std::vector<std::string> arguments;
    const QStringList rest = QApplication::arguments();
    for (int i = 1; i < rest.size(); ++i)
        arguments.push_back(QFile::encodeName(rest[i]).toStdString());
    const morvel::DispatchHooks hooks = morvel::WindowHooks(shell);
    shell.setOwnDropHandler(
        [&state, &hooks](const morvel::Event& drop) { morvel::Dispatch(state, drop, hooks); });
    return morvel::RunProgram(state, shell, arguments, morvel::InstanceLockFolder(), hooks);
}
