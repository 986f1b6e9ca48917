#include "window/termination.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>

#include "app/event.h"
#include "window/qt_shell.h"

namespace morvel {

namespace {

// The handler may only write to a socket; the loop reads the other end.
int g_signalSockets[2] = {-1, -1};

extern "C" void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalSockets[0], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals(QtShell& shell) : m_shell(shell) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSockets) != 0)
        return;  // the signals then end the program as they do by default
    auto* notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_signalSockets[1], bytes, sizeof bytes) > 0) {
        }
        closeWindow();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

void TerminationSignals::closeWindow() {
    // Building the main window drops the events raised before it: wait for it. The language
    // chooser before it is closed, as by its close box.
    if (!m_shell.mainWindow()) {
        if (QWidget* chooser = QApplication::activeModalWidget()) chooser->close();
        QTimer::singleShot(100, this, &TerminationSignals::closeWindow);
        return;
    }
    Event close;
    close.kind = EventKind::Close;
    m_shell.post(close);
}

TerminationSignals::~TerminationSignals() {
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    for (int& socket : g_signalSockets) {
        if (socket >= 0) ::close(socket);
        socket = -1;
    }
}

}  // namespace morvel
