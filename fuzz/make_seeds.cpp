// Writes the seed corpora of the fuzz targets with the program's own writers and a few crafted
// files: make_seeds OUTPUT_FOLDER (one sub-folder per target).
#include <cstdio>
#include <string>
#include <vector>

#include "import/avi_frames.h"
#include "codecs/bmp_codec.h"
#include "platform/files.h"
#include "codecs/picture_io.h"
#include "codecs/png_codec.h"
#include "project/project_file.h"
#include "project/session_journal.h"

namespace {

using namespace morvel;
using Bytes = std::vector<std::uint8_t>;

Image pattern(int width, int height) {
    Image image = *Image::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, std::uint8_t(x * 37), std::uint8_t(y * 59),
                           std::uint8_t(x * y * 11));
    return image;
}

void write(const std::string& folder, const std::string& name, const Bytes& bytes) {
    MakeFolder(folder);
    if (!WriteFileBytes(folder + "/" + name, bytes))
        std::fprintf(stderr, "cannot write %s\n", name.c_str());
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// A Targa header: image type, width, height, depth, descriptor; then the pixel bytes.
Bytes tga(std::uint8_t type, int width, int height, std::uint8_t depth, std::uint8_t descriptor,
          Bytes pixels) {
    Bytes bytes = {0,
                   0,
                   type,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   std::uint8_t(width),
                   std::uint8_t(width >> 8),
                   std::uint8_t(height),
                   std::uint8_t(height >> 8),
                   depth,
                   descriptor};
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    MakeFolder(out);
    int n = 0;
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {3, 2}, {7, 5}, {16, 9}}) {
        const Image picture = pattern(w, h);
        const std::string name = std::to_string(++n);
        write(out + "/bmp", name + ".bmp", EncodeBmp(picture));
        for (const auto& [format, extension] :
             std::vector<std::pair<PictureFormat, std::string>>{{PictureFormat::Bmp, "bmp"},
                                                                {PictureFormat::Png, "png"},
                                                                {PictureFormat::Jpeg, "jpg"}}) {
            Bytes encoded;
            if (EncodePicture(picture, format, encoded)) {
                write(out + "/picture", name + "." + extension, encoded);
                if (format == PictureFormat::Png) write(out + "/png_fast", name + ".png", encoded);
            }
        }
    }
    write(out + "/tga", "raw24.tga", tga(2, 2, 2, 24, 0, Bytes(12, 0x80)));
    write(out + "/tga", "raw32top.tga", tga(2, 2, 1, 32, 0x20, Bytes(8, 0x40)));
    write(out + "/tga", "raw16.tga", tga(2, 3, 1, 16, 0, {0x1f, 0x7c, 0xe0, 0x03, 0xff, 0x7f}));
    write(out + "/tga", "rle24.tga",
          tga(10, 4, 2, 24, 0, {0x83, 1, 2, 3, 0x03, 9, 9, 9, 8, 8, 8, 7, 7, 7, 6, 6, 6}));
    write(out + "/picture", "rle24.tga",
          tga(10, 4, 2, 24, 0, {0x83, 1, 2, 3, 0x03, 9, 9, 9, 8, 8, 8, 7, 7, 7, 6, 6, 6}));

    const ProjectHeader header{
        "", "Titel", "Autor", "Erste\r\nZweite", "masks\\$Project_$Nr.mask", "img/$Layer_$Nr"};
    write(out + "/project_file", "two.mvl",
          SerializeProjectFile(
              header, {ProjectFileFrame{{"/film/a.png", ""}, true},
                       ProjectFileFrame{{"$AVI$1A$/film/take.avi", "/film/b.jpg"}, false}}));
    write(out + "/project_file", "empty.mvl", SerializeProjectFile(ProjectHeader{}, {}));

    write(out + "/language_file", "plain.language",
          text("; comment\r\n[MainMenu]\r\nproject = &Project\r\nnew = "
               "New\tCtrl+N\r\n[Errors]\r\ntitle=Error\r\n"
               "loadimage = Picture '$FILE' not loaded.$$$Check it.\r\n"));
    write(out + "/language_file", "utf8.language",
          text("\xEF\xBB\xBF[SaveWindow]\nsave = Speichern \xC3\xBC\n[tools]\nZOOM=Zoom\n"));
    write(out + "/language_file", "ansi.language", text("[Else]\rnewtitle=*Neu \xFC*\r"));

    Document document("/tmp/");
    document.header = {"/film/scene.mvl", "Titel", "Autor", "Zeile\r\nZwei", "$Nr.mask", "$Nr"};
    for (int i = 0; i < 3; ++i) {
        FrameRecord& frame = document.frames.append();
        frame.layerSource[0] = "/film/a" + std::to_string(i) + ".png";
        if (i == 1) frame.layerSource[1] = MakeAviReference(4, "/film/take.avi");
        frame.maskNumber = i == 2 ? 0 : i + 1;
    }
    document.masks.nextNumber = 3;
    write(out + "/journal", "three.journal", SerializeJournal(document, 1));
    write(out + "/journal", "empty.journal", SerializeJournal(Document("/tmp/"), -1));

    // A stroke's record as after it and as before it: one uniform square, one of pixels.
    MaskTileEdit step;
    step.maskBefore = step.maskAfter = 1;
    step.maskWidth = 16;
    step.maskHeight = 8;
    step.tiles.resize(2);
    step.tiles[0] = {0, 0, 8, 8, {true, 9, {}}, {true, 200, {}}};
    step.tiles[1] = {8, 0, 8, 8, {true, 0, {}}, {false, 0, Bytes(8 * 8, 77)}};
    Bytes log;
    for (const bool after : {true, false}) {
        Bytes record = TileLogRecord(step, after);
        SealTileLogRecord(record);
        log.insert(log.end(), record.begin(), record.end());
    }
    write(out + "/tile_log", "stroke.log", log);

    Bytes entry;
    if (EncodePngWithText(pattern(16, 12),
                          {{"Thumb::URI", "file:///film/a.png"}, {"Thumb::MTime", "1700000000"}},
                          entry))
        write(out + "/thumbnail_entry", "entry.png", entry);

    write(out + "/avi_reference", "frame", text(MakeAviReference(26, "/film/take1.avi")));
    write(out + "/avi_reference", "open", text("$AVI$*$/film/take1.avi"));
    write(out + "/avi_reference", "odd", text("$AVI$1g$/a$b"));
    return 0;
}
