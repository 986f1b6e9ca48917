// Damaged, hostile and odd input taken through the program's own paths: opening projects,
// composing frames, loading languages, exporting and saving. Each case checks the error the
// program reports (the "ErrorCode = ..." line) or the default it falls back to, and that the
// program goes on afterwards with a consistent state.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "codecs/bmp_codec.h"
#include "codecs/jpeg_codec.h"
#include "codecs/little_endian.h"
#include "codecs/picture_io.h"
#include "codecs/png_codec.h"
#include "editor/canvas_film.h"
#include "editor/compose_frame.h"
#include "editor/editor_test_state.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "export/image_sequence.h"
#include "i18n/language_file.h"
#include "i18n/load_language.h"
#include "i18n/settings_file.h"
#include "import/layer_picture.h"
#include "platform/files.h"
#include "project/project_file.h"
#include "sequence/blend.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

// ---- the largest single allocation ------------------------------------------------------------

// Every picture buffer of ours comes from operator new (std::vector). Counting the largest
// request while a check runs tells whether a reader allocated a picture it then refused.
namespace {
std::atomic<bool> g_watchAllocations{false};
std::atomic<std::size_t> g_largestAllocation{0};
}  // namespace

// The replacements pair malloc with free, which the compiler cannot see through. Every form
// that is not over-aligned is replaced, so that no block crosses between two allocators.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
namespace {
void* allocate(std::size_t size) noexcept {
    if (g_watchAllocations.load(std::memory_order_relaxed)) {
        std::size_t largest = g_largestAllocation.load(std::memory_order_relaxed);
        while (size > largest && !g_largestAllocation.compare_exchange_weak(largest, size)) {
        }
    }
    return std::malloc(size == 0 ? 1 : size);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace morvel {
namespace {

using testing::GreyMask;
using testing::PatternPicture;
using testing::RecordingShell;
using testing::SamePicture;
using testing::TempFolder;
using testing::UniformPicture;

// The largest single allocation made while it lives.
class AllocationWatch {
public:
    AllocationWatch() {
        g_largestAllocation = 0;
        g_watchAllocations = true;
    }
    ~AllocationWatch() { g_watchAllocations = false; }
    std::size_t largest() const { return g_largestAllocation; }
};

constexpr std::size_t kSmallAllocation = std::size_t{16} << 20;

std::string countBytes(std::int32_t n) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(static_cast<std::uint32_t>(n) >> (8 * i));
    return bytes;
}

// One frame entry of a project file: two layer lines and the mask flag.
std::string entry(const std::string& layer1, const std::string& layer2, bool mask) {
    return layer1 + "\r\n" + layer2 + "\r\n" + std::string(1, mask ? '\x01' : '\0');
}

const std::string kHeader = "MORVEL 1.0\r\nFilm\r\n\r\n\r\n$Nr.mask\r\n\r\n";

bool haveFfmpeg() {
    static const bool available = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
    return available;
}

// A raw AVI video of the moving test pattern, 32 x 24.
bool makeVideo(const std::string& path, int frames) {
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i 'testsrc2=size=32x24:rate=25' -frames:v " +
        std::to_string(frames) + " -c:v rawvideo -pix_fmt bgr24 '" + path + "'";
    return std::system(command.c_str()) == 0;
}

class BadInput : public ::testing::Test {
protected:
    TempFolder projectFolder;
    TempFolder workingFolder;
    RecordingShell shell;
    EditorTestState state{shell, workingFolder.path(), projectFolder.path()};

    // The codes of the errors shown so far, "120-8-1" for "ErrorCode = 120-8-1".
    std::vector<std::string> codes() const {
        std::vector<std::string> found;
        for (const auto& message : shell.errors) {
            const auto at = message.text.rfind("ErrorCode = ");
            found.push_back(at == std::string::npos ? "(none)" : message.text.substr(at + 12));
        }
        return found;
    }
    std::string picture(const std::string& name, const Image& image,
                        PictureFormat format = PictureFormat::Png) {
        const std::string path = projectFolder.file(name);
        EXPECT_TRUE(SavePictureFile(image, path, format));
        return path;
    }
    std::string grey(const std::string& name, std::uint8_t value) {
        return picture(name, UniformPicture(8, 6, {value, value, value}));
    }
    void open(const std::string& frames, std::int32_t count) {
        OpenProject(state.document, state.session, state.view, state.services,
                    projectFolder.write("P.mvl", kHeader + countBytes(count) + frames));
    }
    // The displayed frame composes again from its files, as after a fresh selection.
    int recompose() {
        state.session.cache.layerSource = {};
        state.session.cache.maskNumber = 0;
        return ComposeFrame(state.document, state.session, state.view, state.services, 0);
    }
};

// ---- mask files ------------------------------------------------------------------------------

TEST_F(BadInput, AMaskFileThatIsTextIsCopiedInAndTheFrameComposesWithoutIt) {
    const std::string layer = grey("a.png", 120);
    projectFolder.write("1.mask", "this is no picture\n");
    picture("2.mask", GreyMask(8, 6, [](int, int) { return std::uint8_t{128}; }));
    open(entry(layer, "", true) + entry(layer, "", true), 2);

    // Copying needs no decoding; the mask is found unreadable when the frame is composed.
    EXPECT_EQ(codes(), std::vector<std::string>{"220-2-1"});
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 1);
    EXPECT_EQ(testing::ReadText(state.document.masks.workingFile(1)), "this is no picture\n");
    EXPECT_EQ(state.session.images.composite.width(), 8);
    EXPECT_EQ(state.session.images.composite.red(3, 3), 120);  // layer 1 as it is

    // The next frame's mask loads and blends; coming back reports the bad mask again.
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 1), 1);
    EXPECT_EQ(state.session.images.composite.red(3, 3), MixComponents(120, 0, 128));
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 0), 0);
    EXPECT_EQ(codes(), (std::vector<std::string>{"220-2-1", "220-2-1"}));
    EXPECT_EQ(state.session.images.composite.red(3, 3), 120);
}

// Every source is aligned with the composite at its bottom-left corner; the composite takes the
// smallest width and the smallest height.
TEST_F(BadInput, AMaskOfAnotherSizeThanTheLayersComposesTheCommonPart) {
    const Image layer1 = PatternPicture(8, 6);
    const Image layer2 = UniformPicture(8, 6, {10, 20, 30});
    const std::string l1 = picture("a.png", layer1);
    const std::string l2 = picture("b.bmp", layer2, PictureFormat::Bmp);
    const auto rowMask = [](int, int y) { return static_cast<std::uint8_t>(y * 25); };
    struct Case {
        int width, height;
    };
    const Case cases[] = {{4, 3}, {12, 9}, {16, 2}, {3, 12}, {1, 1}};
    std::string frames;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        picture(std::to_string(i + 1) + ".mask",
                GreyMask(cases[i].width, cases[i].height, rowMask));
        frames += entry(l1, l2, true);
    }
    open(frames, static_cast<std::int32_t>(std::size(cases)));
    EXPECT_TRUE(shell.errors.empty());

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::to_string(cases[i].width) + "x" + std::to_string(cases[i].height));
        SelectFrame(state.document, state.session, state.view, state.services, static_cast<int>(i));
        const Image& composite = state.session.images.composite;
        const int width = std::min(8, cases[i].width);
        const int height = std::min(6, cases[i].height);
        ASSERT_EQ(composite.width(), width);
        ASSERT_EQ(composite.height(), height);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t m = rowMask(0, y + cases[i].height - height);
            const int layerRow = y + 6 - height;
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(composite.red(x, y), MixComponents(layer1.red(x, layerRow), 10, m))
                    << x << "," << y;
                ASSERT_EQ(composite.blue(x, y), MixComponents(layer1.blue(x, layerRow), 30, m));
            }
        }
    }
    // A painted edit goes on working on the odd-sized mask, up to its edges.
    state.session.cache.dirty = Rect{-5, 100, -5, 100};
    ClampDirtyRectangle(state.session);
    EXPECT_NE(ComposeFrame(state.document, state.session, state.view, state.services, kMaskChanged),
              0);
    EXPECT_TRUE(shell.errors.empty());
}

// ---- layer files that cannot be read ---------------------------------------------------------

enum class Unreadable { Folder, Fifo, DevZero, Vanished, ZeroBytes, NoReadPermission };

std::string nameOf(Unreadable kind) {
    switch (kind) {
        case Unreadable::Folder:
            return "Folder";
        case Unreadable::Fifo:
            return "Fifo";
        case Unreadable::DevZero:
            return "DevZero";
        case Unreadable::Vanished:
            return "Vanished";
        case Unreadable::ZeroBytes:
            return "ZeroBytes";
        case Unreadable::NoReadPermission:
            return "NoReadPermission";
    }
    return "";
}

class UnreadableLayer : public BadInput, public ::testing::WithParamInterface<Unreadable> {
protected:
    void SetUp() override {
        if (GetParam() == Unreadable::NoReadPermission && ::geteuid() == 0) {
            GTEST_SKIP() << "root reads files without read permission";
        }
    }
    // A layer source of the kind under test. A FIFO has no writer: reading it would block.
    std::string unreadable(const std::string& name) {
        const std::string path = projectFolder.file(name);
        switch (GetParam()) {
            case Unreadable::Folder:
                EXPECT_TRUE(MakeFolder(path));
                break;
            case Unreadable::Fifo:
                EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
                break;
            case Unreadable::DevZero:
                return "/dev/zero";
            case Unreadable::Vanished:
                grey(name, 50);
                EXPECT_EQ(::unlink(path.c_str()), 0);
                break;
            case Unreadable::ZeroBytes:
                projectFolder.write(name, std::string());
                break;
            case Unreadable::NoReadPermission:
                grey(name, 50);
                EXPECT_EQ(::chmod(path.c_str(), 0200), 0);
                break;
        }
        return path;
    }
};

TEST_P(UnreadableLayer, OpeningReportsItAndEmptiesTheLayer) {
    const std::string bad = unreadable("bad.png");
    const std::string good = grey("good.png", 90);
    open(entry(bad, good, false) + entry(good, "", false), 2);

    if (GetParam() == Unreadable::Vanished) {
        // A picture that is not there at all was told about in the one question for a folder.
        EXPECT_TRUE(codes().empty());
        EXPECT_EQ(shell.questions, std::vector<std::string>{"Morvel|1 Bilder fehlen. Ordner suchen?"});
    } else {
        EXPECT_EQ(codes(), std::vector<std::string>{"120-8-1"});
        EXPECT_NE(shell.errors.at(0).text.find("'" + bad + "'"), std::string::npos);
    }
    ASSERT_EQ(state.document.frames.size(), 2);
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], "");
    EXPECT_EQ(state.document.frames.at(0).layerSource[1], good);
    EXPECT_EQ(shell.thumbnails.size(), 2u);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 90);  // layer 2 alone
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 1), 1);
    EXPECT_EQ(state.session.images.composite.green(0, 0), 90);
    EXPECT_EQ(shell.errors.size(), GetParam() == Unreadable::Vanished ? 0u : 1u);
}

// Without thumbnails nothing is read at open; composing finds the unreadable layer, reports it
// with its layer number and leaves the layer out.
TEST_P(UnreadableLayer, ComposingReportsItWithTheLayerNumber) {
    state.services.makeThumbnails = false;
    const std::string bad = unreadable("bad.png");
    const std::string good1 = grey("one.png", 90);
    const std::string good2 = grey("two.png", 60);
    open(entry(bad, good2, false) + entry(good1, bad, false) + entry(good1, good2, false), 3);

    EXPECT_EQ(codes(), std::vector<std::string>{"120-2-1"});
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], bad);  // the source is kept
    EXPECT_EQ(state.session.images.composite.red(0, 0), 60);
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 1), 1);
    EXPECT_EQ(codes(), (std::vector<std::string>{"120-2-1", "120-2-2"}));
    EXPECT_EQ(state.session.images.composite.red(0, 0), 90);
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 2), 2);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 90);
    EXPECT_EQ(shell.errors.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableLayer,
                         ::testing::Values(Unreadable::Folder, Unreadable::Fifo,
                                           Unreadable::DevZero, Unreadable::Vanished,
                                           Unreadable::ZeroBytes, Unreadable::NoReadPermission),
                         [](const auto& info) { return nameOf(info.param); });

// ---- project files ---------------------------------------------------------------------------

TEST_F(BadInput, ACountFarBeyondTheFileIsRefusedAndAPlausibleOneFilledUp) {
    const std::string layer = grey("a.png", 70);
    picture("01.mask", GreyMask(8, 6, [](int, int) { return std::uint8_t{200}; }));
    state.document.header.title = "Before";
    open(entry(layer, "", false), 2147483647);
    EXPECT_EQ(codes(), std::vector<std::string>{"320-8-1"});
    EXPECT_EQ(state.document.frames.size(), 0);
    EXPECT_EQ(state.document.header.title, "Before");

    // A save cut short after the first frame: ten frames, the mask found under the name the
    // announced count gives (D = 2).
    shell.errors.clear();
    open(entry(layer, "", true), 10);
    EXPECT_TRUE(shell.errors.empty()) << ::testing::PrintToString(codes());
    ASSERT_EQ(state.document.frames.size(), 10);
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], layer);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 1);
    for (int i = 1; i < 10; ++i) {
        EXPECT_EQ(state.document.frames.at(i).layerSource[0], "");
        EXPECT_EQ(state.document.frames.at(i).maskNumber, 0);
    }
    EXPECT_EQ(state.session.images.composite.red(0, 0), MixComponents(70, 0, 200));
}

TEST_F(BadInput, ACountOfZeroOrLessGivesAnEmptyProjectWithTheHeader) {
    const std::string layer = grey("a.png", 70);
    for (const std::int32_t count : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
        SCOPED_TRACE(count);
        open(entry(layer, "", true), count);
        EXPECT_TRUE(shell.errors.empty());
        EXPECT_EQ(state.document.frames.size(), 0);
        EXPECT_EQ(state.document.header.title, "Film");
        EXPECT_EQ(state.document.header.maskTemplate, "$Nr.mask");
        EXPECT_EQ(state.session.cache.displayedIndex, -1);
        EXPECT_EQ(state.session.images.composite.width(), 640);
        EXPECT_EQ(shell.windowTitles.back(), "Film - Morvel");
    }
}

TEST_F(BadInput, AFileCutShortReadsWhatIsThere) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string title, author;
        int frames;
    };
    const std::string layer = grey("a.png", 70);
    const Case cases[] = {
        {"identification only, no line end", "MORVEL 1.0", "", "", 0},
        {"cut inside the header", "MORVEL 1.0\r\nTitel\r\nAut", "Titel", "Aut", 0},
        {"cut inside the count", kHeader + countBytes(1).substr(0, 2), "Film", "", 0},
        {"cut inside a layer line", kHeader + countBytes(2) + entry(layer, "", false) + "/no/such",
         "Film", "", 2},
        {"cut before a mask flag", kHeader + countBytes(1) + layer + "\r\n\r\n", "Film", "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shell.errors.clear();
        OpenProject(state.document, state.session, state.view, state.services,
                    projectFolder.write("cut.mvl", c.bytes));
        EXPECT_EQ(state.document.header.title, c.title);
        EXPECT_EQ(state.document.header.author, c.author);
        EXPECT_EQ(state.document.frames.size(), c.frames);
        if (c.frames == 2) {
            // The cut path is a file that does not exist: its layer is emptied after the
            // question for a folder to search.
            EXPECT_TRUE(codes().empty());
            EXPECT_EQ(shell.questions.back(), "Morvel|1 Bilder fehlen. Ordner suchen?");
            EXPECT_EQ(state.document.frames.at(1).layerSource[0], "");
        } else {
            EXPECT_TRUE(shell.errors.empty()) << ::testing::PrintToString(codes());
        }
        if (c.frames > 0) {
            EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
            EXPECT_EQ(state.session.images.composite.red(0, 0), 70);
        }
    }
}

TEST_F(BadInput, AProjectFileThatIsNoRegularFileIsReportedWithoutWaiting) {
    const std::string fifo = projectFolder.file("fifo.mvl");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string folder = projectFolder.file("folder.mvl");
    ASSERT_TRUE(MakeFolder(folder));
    const std::string layer = grey("a.png", 70);
    int expected = 0;
    for (const std::string& path : {folder, fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        open(entry(layer, "", false), 1);  // a project to be replaced
        ASSERT_EQ(state.document.frames.size(), 1);
        OpenProject(state.document, state.session, state.view, state.services, path);
        ASSERT_EQ(shell.errors.size(), static_cast<std::size_t>(++expected));
        EXPECT_EQ(codes().back(), "320-8-2");
        EXPECT_NE(shell.errors.back().text.find("'" + path + "'"), std::string::npos);
        EXPECT_EQ(state.document.frames.size(), 0);
        EXPECT_EQ(state.document.header.projectFilePath, path);
    }
}

class BadVideoReference : public BadInput {
protected:
    void SetUp() override {
        if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
        ASSERT_TRUE(makeVideo(video, 3));
    }
    std::string video = projectFolder.file("take.avi");
};

TEST_F(BadVideoReference, AMissingVideoOrATextFileReportsTheReaderAndTheLoaderError) {
    const std::string text = projectFolder.write("notes.avi", "no video at all\n");
    const std::string missing = "$AVI$0$" + projectFolder.file("gone.avi");
    const std::string notVideo = "$AVI$0$" + text;
    open(entry(missing, "", false) + entry("", notVideo, false) +
             entry("$AVI$2$" + video, "", false),
         3);
    // The missing video was told about in the question for a folder; the text file is reported.
    EXPECT_EQ(codes(), (std::vector<std::string>{"530-16-0", "120-8-1"}));
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], "");
    EXPECT_EQ(state.document.frames.at(1).layerSource[1], "");
    EXPECT_FALSE(state.services.videoReader.isOpen());
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 2), 2);
    EXPECT_EQ(state.session.images.composite.width(), 32);  // the good reference still reads
    EXPECT_EQ(shell.errors.size(), 2u);
}

TEST_F(BadVideoReference, FrameNumbersPastTheEndFailAsALoadError) {
    std::string frames;
    for (const char* number : {"3", "FF", "7FFFFFFF", "FFFFFFFF"}) {
        frames += entry(std::string("$AVI$") + number + "$" + video, "", false);
    }
    frames += entry("$AVI$2$" + video, "", false);
    open(frames, 5);
    EXPECT_EQ(codes(), std::vector<std::string>(4, "120-8-1"));
    EXPECT_FALSE(state.services.videoReader.isOpen());
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 4), 4);
    EXPECT_EQ(state.session.images.composite.width(), 32);
}

TEST_F(BadVideoReference, ComposingABadReferenceReportsItWithTheLayerNumber) {
    state.services.makeThumbnails = false;
    const std::string good = grey("a.png", 70);
    open(entry("$AVI$0$" + projectFolder.file("gone.avi"), good, false) +
             entry(good, "$AVI$3$" + video, false) + entry("$AVI$1$" + video, "", false),
         3);
    EXPECT_EQ(codes(), (std::vector<std::string>{"530-16-0", "120-2-1"}));
    EXPECT_EQ(state.session.images.composite.red(0, 0), 70);
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    EXPECT_EQ(codes(), (std::vector<std::string>{"530-16-0", "120-2-1", "120-2-2"}));
    SelectFrame(state.document, state.session, state.view, state.services, 2);
    EXPECT_EQ(shell.errors.size(), 3u);
    EXPECT_EQ(state.session.images.composite.width(), 32);
    EXPECT_FALSE(state.services.videoReader.isOpen());
}

// ---- language files --------------------------------------------------------------------------

class BadLanguageFile : public ::testing::Test {
protected:
    TempFolder program;
    RecordingShell shell;
    Language language;

    const std::string& text(Text which) const { return language.texts[which]; }
    static std::string defaultOf(Text which) {
        return std::string(LanguageTable::entry(which).germanDefault);
    }
    // Loads a good language first, so that falling back to the defaults shows.
    void loadAfterAGoodOne(const std::string& name) {
        program.write("good.language", "[MainMenu]\r\nproject = Project\r\n");
        LoadLanguage(language, shell, program.path(), "good");
        ASSERT_EQ(text(Text::MainMenuProject), "Project");
        LoadLanguage(language, shell, program.path(), name);
    }
};

TEST_F(BadLanguageFile, ALineOfSeveralMegabytesIsSkippedAndTheRestRead) {
    program.write("long.language", "[MainMenu]\r\nproject = " + std::string(3 << 20, 'x') +
                                       "\r\nnew = Neu!\nopen=" +
                                       std::string(kMaxLanguageLineBytes - 5, 'o') + "\r\n");
    loadAfterAGoodOne("long");
    EXPECT_EQ(language.current, "long");
    EXPECT_EQ(text(Text::MainMenuProject), defaultOf(Text::MainMenuProject));
    EXPECT_EQ(text(Text::MainMenuNew), "Neu!");
    EXPECT_EQ(text(Text::MainMenuOpen).size(), kMaxLanguageLineBytes - 5);  // just within the limit
}

TEST_F(BadLanguageFile, AFileLargerThanTheLimitIsNotReadAtAll) {
    program.write("huge.language", "[MainMenu]\r\nnew = Neu!\r\nproject = " +
                                       std::string(kMaxLanguageFileBytes, 'x'));
    loadAfterAGoodOne("huge");
    EXPECT_EQ(language.current, "huge");
    EXPECT_EQ(text(Text::MainMenuProject), defaultOf(Text::MainMenuProject));
    EXPECT_EQ(text(Text::MainMenuNew), defaultOf(Text::MainMenuNew));
}

TEST_F(BadLanguageFile, TheLastLineNeedsNoLineEndAndAGroupMayEndTheFile) {
    for (const std::string& ending :
         {std::string(), std::string("\r\n[Tools]"), std::string("\r\n[Tools"), std::string("\n["),
          std::string("\r")}) {
        SCOPED_TRACE(::testing::PrintToString(ending));
        program.write("end.language", "[MainMenu]\r\nnew = Neu\r\nproject = Letztes" + ending);
        LoadLanguage(language, shell, program.path(), "end");
        EXPECT_EQ(text(Text::MainMenuProject), "Letztes");
        EXPECT_EQ(text(Text::MainMenuNew), "Neu");
    }
}

TEST_F(BadLanguageFile, AFifoOrADeviceNamedLikeALanguageGivesTheDefaultsWithoutWaiting) {
    ASSERT_EQ(::mkfifo(program.file("fifo.language").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", program.file("zero.language").c_str()), 0);
    for (const std::string name : {"fifo", "zero"}) {
        SCOPED_TRACE(name);
        loadAfterAGoodOne(name);
        EXPECT_EQ(language.current, name);
        EXPECT_EQ(text(Text::MainMenuProject), defaultOf(Text::MainMenuProject));
        EXPECT_EQ(language.available, std::vector<std::string>{"good"});  // only regular files
    }
    // A settings file that is a FIFO is no settings file: the user is asked.
    ASSERT_EQ(::mkfifo(program.file(kSettingsFileName).c_str(), 0644), 0);
    shell.languageAnswers = {"good"};
    LoadLanguage(language, shell, program.path(), "");
    EXPECT_EQ(shell.languageChoices.size(), 1u);
    EXPECT_EQ(text(Text::MainMenuProject), "Project");
}

// ---- the smallest and the largest pictures ----------------------------------------------------

class PictureSizes : public BadInput {
protected:
    // A project of one frame whose two layers and mask have this size; after opening, the frame
    // is composed, thumbnails are made, and it is exported as BMP, PNG and JPEG.
    void openAndCompose(int width, int height) {
        layer1 = PatternPicture(width, height);
        layer2 = UniformPicture(width, height, {200, 100, 50});
        const Image mask =
            GreyMask(width, height, [](int x, int) { return std::uint8_t(x % 2 ? 255 : 64); });
        const std::string l1 = picture("a.png", layer1);
        const std::string l2 = picture("b.bmp", layer2, PictureFormat::Bmp);
        picture("1.mask", mask);
        open(entry(l1, l2, true), 1);
        ASSERT_TRUE(shell.errors.empty()) << ::testing::PrintToString(codes());
        ASSERT_EQ(shell.thumbnails.size(), 2u);
        for (const auto& [handle, thumbnail] : shell.thumbnails) {
            EXPECT_EQ(thumbnail.width, 60);
            EXPECT_EQ(thumbnail.height, 45);
        }
        const Image& composite = state.session.images.composite;
        ASSERT_EQ(composite.width(), width);
        ASSERT_EQ(composite.height(), height);
        for (int x : {0, width - 1}) {
            const unsigned m = x % 2 ? 255 : 64;
            EXPECT_EQ(composite.red(x, height - 1),
                      MixComponents(layer1.red(x, height - 1), 200, m));
            EXPECT_EQ(composite.blue(x, 0), MixComponents(layer1.blue(x, 0), 50, m));
        }
        expected = composite;
    }
    // Exports through the menu's path in the format of the filter; the codes of the errors.
    std::vector<std::string> exportAs(int filter) {
        shell.errors.clear();
        shell.saveAnswers = {FileChoice{projectFolder.file("out/frame"), filter}};
        MakeFolder(projectFolder.file("out"));
        ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                            state.services.language.texts, [&] {
                                StoreDisplayedMask(state.document, state.session, state.services);
                            });
        return codes();
    }
    Image written(const std::string& name) {
        Image image;
        EXPECT_EQ(LoadPictureFile(projectFolder.file("out/" + name), image), LoadResult::Ok);
        return image;
    }
    Image layer1, layer2, expected;
};

TEST_F(PictureSizes, OnePixelComposesMakesThumbnailsAndExports) {
    openAndCompose(1, 1);
    EXPECT_TRUE(exportAs(0).empty());
    EXPECT_TRUE(SamePicture(written("frame.1.bmp"), expected));
    EXPECT_TRUE(exportAs(1).empty());
    EXPECT_TRUE(SamePicture(written("frame.1.png"), expected));
    EXPECT_TRUE(exportAs(2).empty());
    EXPECT_EQ(written("frame.1.jpg").width(), 1);
    EXPECT_TRUE(SamePicture(state.session.images.composite, expected));
}

// 65535 is the widest side the program takes. JPEG files hold at most 65500: that export fails
// with the usual message and the program goes on.
TEST_F(PictureSizes, TheWidestPictureComposesAndExportsExceptAsJpeg) {
    openAndCompose(Image::kMaxSide, 1);
    Image loaded;
    ASSERT_TRUE(LoadLayerPicture(nullptr, state.services, loaded, projectFolder.file("a.png")));
    EXPECT_TRUE(SamePicture(loaded, layer1));
    EXPECT_TRUE(exportAs(0).empty());
    EXPECT_TRUE(SamePicture(written("frame.1.bmp"), expected));
    EXPECT_TRUE(exportAs(1).empty());
    EXPECT_TRUE(SamePicture(written("frame.1.png"), expected));
    EXPECT_EQ(exportAs(2), std::vector<std::string>{"130-10-400"});
    EXPECT_TRUE(SamePicture(state.session.images.composite, expected));
}

// Headers announcing a picture of exactly the largest pixel count, in files of a few bytes: the
// data cannot be there, so the picture is refused as damaged before its pixels are allocated.
// One pixel more than the limit is too large whatever the file holds.
struct CraftedPicture {
    const char* format;
    std::vector<std::uint8_t> (*make)(std::uint32_t width, std::uint32_t height);
    bool readsWhenSmall = true;  // the crafted layout holds a real picture at 2 x 2
};

std::uint32_t crc32Of(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void writeBe32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

std::vector<std::uint8_t> craftedBmp(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> file = EncodeBmp(PatternPicture(2, 2));
    writeLe32(file.data() + 18, width);
    writeLe32(file.data() + 22, height);
    return file;
}

std::vector<std::uint8_t> craftedTga(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> file(18 + 12, 0x55);
    std::fill(file.begin(), file.begin() + 18, 0);
    file[2] = 2;  // uncompressed true colour
    writeLe16(file.data() + 12, static_cast<std::uint16_t>(width));
    writeLe16(file.data() + 14, static_cast<std::uint16_t>(height));
    file[16] = 24;
    file[17] = 0x20;
    return file;
}

std::vector<std::uint8_t> craftedPng(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> file;
    EXPECT_TRUE(EncodePng(PatternPicture(2, 2), file));
    std::uint8_t* ihdr = file.data() + 8;  // length, "IHDR", 13 bytes of data, CRC
    writeBe32(ihdr + 8, width);
    writeBe32(ihdr + 12, height);
    writeBe32(ihdr + 21, crc32Of(ihdr + 4, 17));
    return file;
}

// The sizes of the frame header (SOF0 of our writer, or SOF2 when progressive) patched.
std::vector<std::uint8_t> craftedJpeg(std::uint32_t width, std::uint32_t height, bool progressive) {
    std::vector<std::uint8_t> file;
    EXPECT_TRUE(EncodeJpeg(PatternPicture(16, 16), file));
    for (std::size_t i = 2; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            if (progressive) file[i + 1] = 0xC2;
            // Height and width, big-endian.
            file[i + 5] = static_cast<std::uint8_t>(height >> 8);
            file[i + 6] = static_cast<std::uint8_t>(height);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8);
            file[i + 8] = static_cast<std::uint8_t>(width);
            return file;
        }
    }
    ADD_FAILURE() << "no frame header";
    return file;
}

// A grey TIFF of one strip, written field by field; the strip holds width x height bytes as far
// as the file goes.
std::vector<std::uint8_t> craftedTiff(std::uint32_t width, std::uint32_t height,
                                      std::uint16_t compression) {
    struct Field {
        std::uint16_t tag, type;
        std::uint32_t value;
    };
    const std::uint16_t kShort = 3, kLong = 4;
    const std::uint32_t fieldCount = 9;
    const std::uint32_t dataOffset = 8 + 2 + fieldCount * 12 + 4;
    const Field fields[] = {
        {256, kLong, width},        {257, kLong, height}, {258, kShort, 8},
        {259, kShort, compression}, {262, kShort, 1},     {273, kLong, dataOffset},
        {277, kShort, 1},           {278, kLong, height}, {279, kLong, width * height},
    };
    std::vector<std::uint8_t> file(dataOffset + 4, 0x80);
    std::uint8_t* p = file.data();
    p[0] = 'I';
    p[1] = 'I';
    writeLe16(p + 2, 42);
    writeLe32(p + 4, 8);
    writeLe16(p + 8, static_cast<std::uint16_t>(fieldCount));
    std::uint8_t* field = p + 10;
    for (const Field& f : fields) {
        writeLe16(field, f.tag);
        writeLe16(field + 2, f.type);
        writeLe32(field + 4, 1);
        writeLe32(field + 8, 0);
        if (f.type == kShort) {
            writeLe16(field + 8, static_cast<std::uint16_t>(f.value));
        } else {
            writeLe32(field + 8, f.value);
        }
        field += 12;
    }
    writeLe32(field, 0);  // no further directory
    return file;
}

const CraftedPicture kCraftedPictures[] = {
    {"BMP", craftedBmp},
    {"TGA", craftedTga},
    {"PNG", craftedPng},
    {"JPEG", [](std::uint32_t w, std::uint32_t h) { return craftedJpeg(w, h, false); }},
    // The scan of our baseline writer under a frame header that claims progressive coding.
    {"progressive JPEG", [](std::uint32_t w, std::uint32_t h) { return craftedJpeg(w, h, true); },
     false},
    {"TIFF", [](std::uint32_t w, std::uint32_t h) { return craftedTiff(w, h, 1); }},
    // JPEG compression inside TIFF; the strip's bytes are no JPEG data.
    {"JPEG-compressed TIFF", [](std::uint32_t w, std::uint32_t h) { return craftedTiff(w, h, 7); },
     false},
};

TEST_F(BadInput, HeadersOfTheLargestPictureInATinyFileAreDamagedWithoutAllocating) {
    static_assert(std::int64_t{16384} * 16384 == Image::kMaxPixels);
    const std::string layer = grey("a.png", 70);
    for (const CraftedPicture& crafted : kCraftedPictures) {
        SCOPED_TRACE(crafted.format);
        const std::string path = projectFolder.file("crafted");
        Image image;
        // The crafted layout itself is sound: at a small size the format reads it.
        if (crafted.readsWhenSmall) {
            ASSERT_EQ(DecodePicture(crafted.make(2, 2), image), LoadResult::Ok);
        }
        projectFolder.write("crafted", crafted.make(16384, 16384));
        {
            AllocationWatch watch;
            EXPECT_EQ(LoadPictureFile(path, image), LoadResult::Damaged);
            EXPECT_LT(watch.largest(), kSmallAllocation);
        }
        // No rectangle within the side limit has exactly one pixel more than the limit; these
        // are the nearest above it, and the largest sides.
        for (const auto& [width, height] : {std::pair{16385u, 16384u}, std::pair{16384u, 16385u},
                                            std::pair{65535u, 4097u}, std::pair{65535u, 65535u}}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            projectFolder.write("crafted", crafted.make(width, height));
            EXPECT_EQ(LoadPictureFile(path, image), LoadResult::TooLarge);
        }

        // Through the program: the layer is reported and the frame after it still composes.
        projectFolder.write("crafted", crafted.make(16384, 16384));
        shell.errors.clear();
        state.services.makeThumbnails = false;
        {
            AllocationWatch watch;
            open(entry(path, "", false) + entry(layer, "", false), 2);
            EXPECT_LT(watch.largest(), kSmallAllocation);
        }
        EXPECT_EQ(codes(), std::vector<std::string>{"120-2-1"});
        EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 1), 1);
        EXPECT_EQ(state.session.images.composite.red(0, 0), 70);
    }
}

// ---- outputs that cannot be written ----------------------------------------------------------

class Unwritable : public BadInput {
protected:
    void SetUp() override {
        const std::string l1 = grey("a.png", 70);
        const std::string l2 = grey("b.png", 30);
        picture("1.mask", GreyMask(8, 6, [](int, int) { return std::uint8_t{200}; }));
        open(entry(l1, "", true) + entry(l2, "", false), 2);
        ASSERT_TRUE(shell.errors.empty());
        SelectFrame(state.document, state.session, state.view, state.services, 1);
        displayed = state.session.images.composite;
    }
    // The program goes on where it was: same frames, same displayed frame and picture.
    void expectUnchanged() {
        EXPECT_EQ(state.document.frames.size(), 2);
        EXPECT_EQ(state.session.cache.displayedIndex, 1);
        EXPECT_TRUE(SamePicture(state.session.images.composite, displayed));
        EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 0), 0);
        EXPECT_EQ(state.session.images.composite.red(0, 0), MixComponents(70, 0, 200));
    }
    Image displayed;
};

TEST_F(Unwritable, AnExportBelowARegularFileReportsEveryFrame) {
    const std::string file = projectFolder.write("notes.txt", "text");
    shell.saveAnswers = {FileChoice{file + "/frame", 1}};
    ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                        state.services.language.texts,
                        [&] { StoreDisplayedMask(state.document, state.session, state.services); });
    EXPECT_EQ(codes(), (std::vector<std::string>{"130-10-400", "130-10-400"}));
    EXPECT_NE(shell.errors[0].text.find("'" + file + "/frame.1.png'"), std::string::npos);
    EXPECT_NE(shell.errors[1].text.find("'" + file + "/frame.2.png'"), std::string::npos);
    EXPECT_EQ(testing::ReadText(file), "text");
    expectUnchanged();
}

TEST_F(Unwritable, AnExportWhereAFolderHasTheFramesNameReportsThatFrameOnly) {
    ASSERT_TRUE(MakeFolder(projectFolder.file("frame.1.bmp")));
    shell.saveAnswers = {FileChoice{projectFolder.file("frame.png"), 0}};
    ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                        state.services.language.texts,
                        [&] { StoreDisplayedMask(state.document, state.session, state.services); });
    EXPECT_EQ(codes(), std::vector<std::string>{"130-10-400"});
    EXPECT_TRUE(IsFolder(projectFolder.file("frame.1.bmp")));
    Image second;
    EXPECT_EQ(LoadPictureFile(projectFolder.file("frame.2.bmp"), second), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(second, displayed));
    expectUnchanged();
}

TEST_F(Unwritable, ASaveBelowARegularFileOrOntoAFolderWritesNothing) {
    const std::string file = projectFolder.write("notes.txt", "text");
    const std::string folder = projectFolder.file("Folder.mvl");
    ASSERT_TRUE(MakeFolder(folder));
    for (const std::string& path : {file + "/P.mvl", folder}) {
        SCOPED_TRACE(path);
        shell.errors.clear();
        state.document.header.projectFilePath = path;
        SaveProject(state.document, state.session, state.view, state.services, false);
        EXPECT_EQ(codes(), std::vector<std::string>{"330-11-1"});
        EXPECT_NE(shell.errors[0].text.find("'" + path + "'"), std::string::npos);
        EXPECT_FALSE(IsRegularFile(projectFolder.file("Folder/1.mask")));
        EXPECT_FALSE(IsRegularFile(file + "/1.mask"));
    }
    EXPECT_EQ(testing::ReadText(file), "text");
    EXPECT_TRUE(IsFolder(folder));
    expectUnchanged();
}

TEST_F(Unwritable, AMaskWhoseNameIsTakenByAFolderIsSavedWithoutIt) {
    ASSERT_TRUE(MakeFolder(projectFolder.file("masks")));
    ASSERT_TRUE(MakeFolder(projectFolder.file("masks/Saved_1.mask")));
    state.document.header.projectFilePath = projectFolder.file("Saved.mvl");
    state.document.header.maskTemplate = "masks/$Project_$Nr.mask";
    SaveProject(state.document, state.session, state.view, state.services, false);
    EXPECT_EQ(codes(), std::vector<std::string>{"140-11-300"});
    const auto bytes = ReadFileBytes(projectFolder.file("Saved.mvl"));
    ASSERT_TRUE(bytes);
    const ProjectFileContents read = ParseProjectFile(*bytes);
    ASSERT_EQ(read.frames.size(), 2u);
    EXPECT_FALSE(read.frames[0].hasMask);
    expectUnchanged();
}

}  // namespace
}  // namespace morvel
