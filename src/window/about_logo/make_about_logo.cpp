// make_about_logo: draws the about box's logo (370 x 98) and writes it as a progressive JPEG in
// a C++ source file, so that the program carries the picture in its own data.
//
// Usage: make_about_logo <output.cpp> [<copy.jpg>]

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

// libjpeg's header needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

constexpr int kWidth = 370;
constexpr int kHeight = 98;

// A strip of film across the picture, two takes of one frame mixed by a soft mask, the name.
QImage drawLogo() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(28, 34, 52));
    sky.setColorAt(1, QColor(52, 64, 96));
    p.fillRect(image.rect(), sky);

    // The film's edges with their perforation.
    p.fillRect(QRect(0, 0, kWidth, 11), QColor(12, 12, 16));
    p.fillRect(QRect(0, kHeight - 11, kWidth, 11), QColor(12, 12, 16));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(205, 205, 195));
    for (int x = 4; x < kWidth; x += 14) {
        p.drawRoundedRect(QRectF(x, 3, 7, 5), 1.5, 1.5);
        p.drawRoundedRect(QRectF(x, kHeight - 8, 7, 5), 1.5, 1.5);
    }

    // One frame: take 1 on the left, take 2 on the right, the mask blending them in between.
    const QRectF frame(14, 18, 84, 62);
    QLinearGradient mix(frame.left() + 20, 0, frame.right() - 20, 0);
    mix.setColorAt(0, QColor(243, 150, 162));
    mix.setColorAt(1, QColor(148, 215, 254));
    p.setBrush(mix);
    p.setPen(QPen(QColor(240, 240, 240), 2));
    p.drawRoundedRect(frame, 4, 4);
    // A figure standing in the frame, the same in both takes.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 60, 200));
    p.drawEllipse(QPointF(56, 38), 8, 8);
    QPainterPath body;
    body.moveTo(42, 78);
    body.quadTo(56, 40, 70, 78);
    body.closeSubpath();
    p.drawPath(body);
    // The brush that paints the mask.
    p.setPen(QPen(QColor(255, 255, 255, 170), 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(82, 32), 9, 9);

    QFont name("DejaVu Sans");
    name.setPixelSize(44);
    name.setBold(true);
    p.setFont(name);
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(QPointF(116, 60), "Morvel");
    p.setPen(QColor(250, 250, 245));
    p.drawText(QPointF(114, 58), "Morvel");

    QFont subtitle("DejaVu Sans");
    subtitle.setPixelSize(15);
    p.setFont(subtitle);
    p.setPen(QColor(200, 215, 235));
    p.drawText(QPointF(116, 80), "Zentor Frame Manipulator");
    p.end();
    return image;
}

// The picture as a progressive JPEG, quality 92.
std::vector<unsigned char> encodeProgressive(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_about_logo <output.cpp> [<copy.jpg>]\n");
        return 2;
    }
    QGuiApplication application(argc, argv);  // fonts for the name
    const std::vector<unsigned char> jpeg = encodeProgressive(drawLogo());

    std::ofstream out(argv[1], std::ios::binary);
    out << "// Made by make_about_logo: the about box's logo, a progressive JPEG.\n"
           "#include \"window/about_logo.h\"\n\nnamespace morvel {\n\nnamespace {\n\n"
           "const std::uint8_t kLogo[] = {";
    for (std::size_t i = 0; i < jpeg.size(); ++i) {
        if (i % 16 == 0) out << "\n   ";
        out << ' ' << static_cast<int>(jpeg[i]) << ',';
    }
    out << "\n};\n\n}  // namespace\n\nstd::span<const std::uint8_t> AboutLogoJpeg() {\n"
           "    return kLogo;\n}\n\n}  // namespace morvel\n";
    if (!out) return 1;
    if (argc > 2) {
        std::ofstream copy(argv[2], std::ios::binary);
        copy.write(reinterpret_cast<const char*>(jpeg.data()),
                   static_cast<std::streamsize>(jpeg.size()));
    }
    return 0;
}
