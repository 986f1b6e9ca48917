#include "import/frame_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvel {
namespace {

TEST(DroppedFiles, TheExtensionDecidesWhetherAFileIsOffered) {
    struct Case {
        const char* path;
        DroppedFileKind kind;
    };
    const Case cases[] = {
        {"/p/a.bmp", DroppedFileKind::Picture},
        {"/p/a.JPG", DroppedFileKind::Picture},
        {"/p/a.JpEg", DroppedFileKind::Picture},
        {"/p/a.png", DroppedFileKind::Picture},
        {"/p/a.tga", DroppedFileKind::Picture},
        {"/p/a.Tif", DroppedFileKind::Picture},
        {"/p/a.tiff", DroppedFileKind::Picture},
        {"/p/take.AVI", DroppedFileKind::Video},
        {"/p/a.gif", DroppedFileKind::Ignored},
        {"/p/notes", DroppedFileKind::Ignored},
        {"/p.png/notes", DroppedFileKind::Ignored},
        {"/p/a.png.txt", DroppedFileKind::Ignored},
        {"/p/a.pn", DroppedFileKind::Ignored},
        {"/p/.png", DroppedFileKind::Picture},
        {"", DroppedFileKind::Ignored},
        {"/p/a.", DroppedFileKind::Ignored},
    };
    for (const Case& c : cases) EXPECT_EQ(KindOfDroppedFile(c.path), c.kind) << c.path;
}

TEST(DroppedFiles, PathsAreSplitAtLineFeedsAndSortedIgnoringCase) {
    EXPECT_EQ(SortedDropPaths("/f/b.png\n/f/A.png\n/f/c.PNG"),
              (std::vector<std::string>{"/f/A.png", "/f/b.png", "/f/c.PNG"}));
    // "_" lies between the upper- and the lower-case letters: it sorts before "a" once the
    // capitals count as small letters.
    EXPECT_EQ(SortedDropPaths("/f/B\n/f/_x\n/f/a"),
              (std::vector<std::string>{"/f/_x", "/f/a", "/f/B"}));
    EXPECT_EQ(SortedDropPaths("/f/x\n\n/f/ab\n/f/a"),
              (std::vector<std::string>{"", "/f/a", "/f/ab", "/f/x"}));
    EXPECT_EQ(SortedDropPaths(""), (std::vector<std::string>{""}));
    EXPECT_EQ(SortedDropPaths("/f/\xC3\xA4.png\n/f/z.png"),  // bytes above 127 sort last
              (std::vector<std::string>{"/f/z.png", "/f/\xC3\xA4.png"}));
}

}  // namespace
}  // namespace morvel
