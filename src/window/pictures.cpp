#include "window/pictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace morvel {

namespace {

const QColor kInk(30, 30, 40);
const QColor kGlass(170, 215, 245);
const QColor kHandle(120, 70, 30);
const QColor kEraserPink(240, 120, 150);
const QColor kEraserSleeve(60, 110, 200);
const QColor kLayer1(243, 150, 162);
const QColor kLayer2(148, 215, 254);
const QColor kMarker(255, 200, 0);

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A magnifying glass filling a square of this size, with a plus, a minus or nothing in the lens.
QImage magnifier(int size, int sign) {
    QImage image = canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double lens = size * 0.62;
    p.setPen(QPen(kHandle, size / 6.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(lens * 0.9, lens * 0.9), QPointF(size - 1.5, size - 1.5));
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(kGlass);
    p.drawEllipse(QRectF(1, 1, lens, lens));
    if (sign != 0) {
        const double c = 1 + lens / 2;
        const double arm = lens * 0.28;
        p.setPen(QPen(kInk, 1.8));
        p.drawLine(QPointF(c - arm, c), QPointF(c + arm, c));
        if (sign > 0) p.drawLine(QPointF(c, c - arm), QPointF(c, c + arm));
    }
    return image;
}

// A rubber lying on the slant: its working end below left, its sleeve above right.
void drawRubber(QPainter& p, const QColor& tip, const QColor& sleeve) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(9.5, 9);
    p.rotate(-35);
    p.setPen(QPen(kInk, 1));
    p.setBrush(sleeve);
    p.drawRect(QRectF(-8.5, -4, 17, 8));
    p.setBrush(tip);
    p.drawRect(QRectF(-8.5, -4, 7, 8));
    p.restore();
    p.setPen(QPen(QColor(110, 110, 110), 1));
    p.drawLine(QPointF(1, 17.5), QPointF(18, 17.5));
}

QImage eraser() {
    QImage image = canvas(19, 19);
    QPainter p(&image);
    drawRubber(p, kEraserPink, kEraserSleeve);
    return image;
}

// The anti-eraser paints layer 1 back: a white rubber with a green plus.
QImage antiEraser() {
    QImage image = canvas(19, 19);
    QPainter p(&image);
    drawRubber(p, Qt::white, QColor(170, 170, 170));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(13, 9, 3, 9), QColor(0, 150, 40));
    p.fillRect(QRect(10, 12, 9, 3), QColor(0, 150, 40));
    return image;
}

QImage selection() {
    QImage image = canvas(19, 19);
    QPainter p(&image);
    p.fillRect(QRect(3, 4, 13, 11), QColor(150, 150, 150));
    QPen dashes(kInk, 1, Qt::CustomDashLine);
    dashes.setDashPattern({2, 2});
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(QRect(2, 3, 14, 12));
    p.setPen(dashes);
    p.drawRect(QRect(2, 3, 14, 12));
    return image;
}

// Four arrows out of the middle: the mask moves in any direction.
QImage moveMask() {
    QImage image = canvas(19, 19);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.6));
    p.drawLine(QPointF(9.5, 2), QPointF(9.5, 17));
    p.drawLine(QPointF(2, 9.5), QPointF(17, 9.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF{{9.5, 0.5}, {6, 5}, {13, 5}});
    p.drawPolygon(QPolygonF{{9.5, 18.5}, {6, 14}, {13, 14}});
    p.drawPolygon(QPolygonF{{0.5, 9.5}, {5, 6}, {5, 13}});
    p.drawPolygon(QPolygonF{{18.5, 9.5}, {14, 6}, {14, 13}});
    return image;
}

QImage brush(bool round) {
    QImage image = canvas(19, 19);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    if (round) {
        p.drawEllipse(QRectF(3, 3, 13, 13));
    } else {
        p.drawRect(QRectF(3, 3, 13, 13));
    }
    return image;
}

// A checkerboard seen through a fading grey: how much of layer 2 shows through.
QImage transparency() {
    QImage image = canvas(19, 19);
    QPainter p(&image);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            p.fillRect(QRect(2 + x * 4 - (x > 0) * 0, 2 + y * 4, 4, 4),
                       (x + y) % 2 ? QColor(90, 90, 90) : QColor(235, 235, 235));
    QLinearGradient fade(2, 0, 18, 0);
    fade.setColorAt(0, QColor(255, 255, 255, 0));
    fade.setColorAt(1, QColor(40, 40, 40, 255));
    p.fillRect(QRect(2, 2, 16, 16), fade);
    p.setPen(QPen(kInk, 1));
    p.drawRect(QRect(1, 1, 17, 17));
    return image;
}

// The two rows of the frame strip, labelled with their layer numbers.
QImage layerRows() {
    QImage image = canvas(27, 97);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, 27, 48), kLayer1);
    p.fillRect(QRect(0, 49, 27, 48), kLayer2);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(18);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRect(0, 0, 27, 48), Qt::AlignCenter, "1");
    p.drawText(QRect(0, 49, 27, 48), Qt::AlignCenter, "2");
    return image;
}

// A frame around both thumbnails of a column: dark outside, bright inside, so that it stands out
// on both the red and the blue row; open in the middle, so the thumbnails show.
QImage frameMarker() {
    QImage image = canvas(66, 97);
    QPainter p(&image);
    const QRect outer(0, 0, 66, 97);
    p.fillRect(outer, kInk);
    p.fillRect(outer.adjusted(1, 1, -1, -1), kMarker);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillRect(outer.adjusted(3, 1, -3, -1), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Corner brackets reach a little into the pictures, where a thin frame could be missed.
    p.setPen(Qt::NoPen);
    p.setBrush(kMarker);
    for (const QRect& r : {QRect(3, 0, 8, 2), QRect(55, 0, 8, 2), QRect(3, 95, 8, 2),
                           QRect(55, 95, 8, 2), QRect(3, 47, 60, 3)}) {
        p.fillRect(r, kInk);
        p.fillRect(r.adjusted(0, r.height() > 2 ? 1 : 0, 0, r.height() > 2 ? -1 : 0), kMarker);
    }
    return image;
}

}  // namespace

QPixmap DrawPicture(Picture picture) {
    switch (picture) {
        case Picture::None:
            return {};
        case Picture::ZoomTool:
            return QPixmap::fromImage(magnifier(19, 0));
        case Picture::Eraser:
            return QPixmap::fromImage(eraser());
        case Picture::AntiEraser:
            return QPixmap::fromImage(antiEraser());
        case Picture::Selection:
            return QPixmap::fromImage(selection());
        case Picture::MoveMask:
            return QPixmap::fromImage(moveMask());
        case Picture::RoundBrush:
            return QPixmap::fromImage(brush(true));
        case Picture::SquareBrush:
            return QPixmap::fromImage(brush(false));
        case Picture::Transparency:
            return QPixmap::fromImage(transparency());
        case Picture::ZoomIn:
            return QPixmap::fromImage(magnifier(16, 1));
        case Picture::ZoomOut:
            return QPixmap::fromImage(magnifier(16, -1));
        case Picture::LayerRows:
            return QPixmap::fromImage(layerRows());
        case Picture::FrameMarker:
            return QPixmap::fromImage(frameMarker());
    }
    return {};
}

QPixmap DrawPixelPicture(const PixelPicture& picture) {
    if (picture.rows.empty()) return {};
    QImage image = canvas(static_cast<int>(picture.rows.front().size()),
                          static_cast<int>(picture.rows.size()));
    for (int y = 0; y < image.height(); ++y) {
        const std::string_view row = picture.rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < image.width() && x < static_cast<int>(row.size()); ++x) {
            for (const PixelColour& colour : picture.palette)
                if (colour.key == row[static_cast<std::size_t>(x)])
                    image.setPixel(x, y, 0xFF000000u | colour.rgb);
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace morvel
