// xdnd_drag_source: a drag source from outside the program, for trying drops on the running
// window under a real X server. It shows a small window at (x, y); a press of the left button
// in it starts a drag of the given files as text/uri-list (what file managers offer), which the
// pointer, moved by a tool such as xdotool, carries to its target. The outcome of each drag
// ("copy", "move" or "none") is printed on its own line; the window stays for the next drag.
//
//   xdnd_drag_source X Y FILE...

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <cstdio>

namespace {

class DragSource : public QLabel {
public:
    explicit DragSource(QList<QUrl> urls) : m_urls(std::move(urls)) {
        setText(QStringLiteral("drag %1 file(s)").arg(m_urls.size()));
        setAlignment(Qt::AlignCenter);
        setWindowTitle("xdnd_drag_source");
        resize(160, 60);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        // Qt deletes the drag once the target has taken the data (which may be after exec()).
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(m_urls);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction, Qt::CopyAction);
        std::printf("%s\n", done == Qt::CopyAction   ? "copy"
                            : done == Qt::MoveAction ? "move"
                                                     : "none");
        std::fflush(stdout);
    }

private:
    QList<QUrl> m_urls;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: xdnd_drag_source X Y FILE...\n");
        return 2;
    }
    QList<QUrl> urls;
    for (int i = 3; i < arguments.size(); ++i)
        urls << QUrl::fromLocalFile(QFileInfo(arguments[i]).absoluteFilePath());
    DragSource source(urls);
    source.move(arguments[1].toInt(), arguments[2].toInt());
    source.show();
    return application.exec();
}
