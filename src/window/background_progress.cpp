#include "window/background_progress.h"

#include <QProgressDialog>
#include <QTimer>

#include "app/event.h"
#include "window/main_window_widget.h"
#include "window/qt_shell.h"

namespace morvel {

BackgroundProgress::BackgroundProgress(QtShell& shell, BackgroundJob& job, const std::string& title,
                                       const std::string& cancel,
                                       std::function<std::string(int, int)> label,
                                       bool holdsMainWindow)
    : m_shell(shell), m_job(job), m_label(std::move(label)) {
    m_dialog =
        new QProgressDialog(QString::fromStdString(m_label(0, job.total())),
                            QString::fromStdString(cancel), 0, job.total(), shell.mainWindow());
    m_dialog->setWindowTitle(QString::fromStdString(title));
    // Wide enough for its title and a line with the time left.
    m_dialog->setMinimumWidth(m_dialog->fontMetrics().horizontalAdvance(m_dialog->windowTitle()) +
                              m_dialog->fontMetrics().averageCharWidth() * 24);
    // Else the film can still be looked at.
    m_dialog->setWindowModality(holdsMainWindow ? Qt::WindowModal : Qt::NonModal);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    QObject::connect(m_dialog, &QProgressDialog::canceled, this, [this] { m_job.cancel(); });
    m_dialog->show();
    m_timer = new QTimer(this);
    QObject::connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
    m_timer->start(40);
}

BackgroundProgress::~BackgroundProgress() {
    delete m_dialog;
}

void BackgroundProgress::tick() {
    // One such event waits at a time; one that a playing film let go by is posted again.
    for (const Event& waiting : m_shell.pendingEvents())
        if (waiting.kind == EventKind::Background) return;
    Event event;
    event.kind = EventKind::Background;
    m_shell.post(event);
}

bool BackgroundProgress::takeResults() {
    const bool going = m_job.poll();
    m_dialog->setValue(m_job.done());
    m_dialog->setLabelText(QString::fromStdString(m_label(m_job.done(), m_job.total())));
    if (!going) m_timer->stop();
    return going;
}

}  // namespace morvel
