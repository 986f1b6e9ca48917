#pragma once

#include <QColor>
#include <QLabel>
#include <QScrollArea>
#include <functional>
#include <map>
#include <vector>

#include "app/event.h"
#include "platform/frame_strip_shell.h"
#include "platform/image.h"

namespace morvel {

// The MIME type of a thumbnail dragged inside the program (its layer source travels in the
// program's state, not in the drag).
constexpr const char* kLayerDragMimeType = "application/x-morvel-layer";

// Gadget 2: the scroll area of thumbnails. Its content paints the two coloured rows (gadgets 6
// and 7) across its whole width, which is never less than the visible width; it holds the
// thumbnail gadgets and the frame marker (gadget 5), and takes dropped files and thumbnails.
class FrameStrip : public QScrollArea {
public:
    FrameStrip(QWidget* parent, int innerHeight, int scrollStep);

    // Row colours: the upper (layer 1) and the lower (layer 2) row with their tops and heights.
    void setRow(int row, int top, int height, QColor colour);
    void setMarker(const QPixmap& picture, int x, int y);
    void moveMarker(int x);
    QLabel* marker() const { return m_marker; }

    // Scrolls as little as needed to show the content's columns [x, x + width).
    void showColumns(int x, int width);

    // The sound track's waveform row at [top, top + height) under the rows; height 0: none.
    void setWaveform(std::vector<WaveformBar> bars, int columnWidth, int top, int height);

    void setContentWidth(int width);
    int contentWidth() const { return m_contentWidth; }

    GadgetHandle createThumbnail(const Image& picture, int x, int y, const QString& tooltip);
    void moveThumbnail(GadgetHandle handle, int x);
    void destroyThumbnail(GadgetHandle handle);
    QWidget* thumbnail(GadgetHandle handle) const;

    // A drop, as the program's event; a gadget event of a thumbnail, at the pointer's screen
    // position.
    std::function<void(const Event&)> onDrop;
    std::function<void(GadgetHandle, GadgetEventType, QPoint)> onThumbnailEvent;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Content;
    class Thumbnail;
    void fitContent();

    Content* m_content;
    QLabel* m_marker = nullptr;
    int m_contentWidth = 0;
    int m_innerHeight;
    std::map<GadgetHandle, Thumbnail*> m_thumbnails;
    // Handles start above every fixed gadget number, so that a thumbnail's gadget events can
    // never be taken for those of another gadget.
    GadgetHandle m_nextHandle = 1000;
};

}  // namespace morvel
