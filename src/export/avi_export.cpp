#include "export/avi_export.h"

#include <algorithm>

#include "editor/frame_composition.h"
#include "editor/masks.h"
#include "export/stretch_picture.h"
#include "import/layer_picture.h"
#include "project/name_template.h"

namespace morvel {

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Reports the start failures; true when the server is ready.
bool started(ProgramState& state, AviServer& server) {
    switch (server.start(state.files.libraryFolder)) {
        case AviServer::Start::Ready:
            return true;
        case AviServer::Start::NotLoaded:
            state.reporter().report(ErrorKind::InitAviExport, ErrorPlace::AviExport, 0);
            return false;
        case AviServer::Start::InitFailed:
            state.reporter().report(ErrorKind::InitAviExport, ErrorPlace::AviExport, 1);
            return false;
    }
    return false;
}

}  // namespace

std::int32_t ReadRequesterInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::uint32_t base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    std::uint32_t value = 0;  // wraps around like the 32-bit integer it becomes
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit >= static_cast<int>(base)) break;
        value = value * base + static_cast<std::uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

int FrameRateFromAnswer(std::string_view answer) {
    const auto low = static_cast<std::int8_t>(
        static_cast<std::uint8_t>(static_cast<std::uint32_t>(ReadRequesterInteger(answer))));
    return low > 0 ? low : kDefaultFrameRate;
}

AviWriterRecord MakeAviWriterRecord(int width, int height, int frameRate) {
    AviWriterRecord record{};
    record.width = width;
    record.height = height;
    record.frameRate = static_cast<std::int8_t>(frameRate);
    return record;
}

AviServer::Start AviServer::start(const std::string& folder) {
    quit();
    if (!m_library.load(folder + AVISERV_FILE_NAME)) return Start::NotLoaded;
    const auto init = m_library.function<AVI_InitFunction>("AVI_Init");
    if (!init || init() == 0) {
        m_library.unload();
        return Start::InitFailed;
    }
    m_open = m_library.function<OpenAVIforWriteFunction>("OpenAVIforWrite");
    m_add = m_library.function<AddFrameToAVIFunction>("AddFrameToAVI");
    m_close = m_library.function<CloseAVIStreamsFunction>("CloseAVIStreams");
    m_quit = m_library.function<AVI_QuitFunction>("AVI_Quit");
    return Start::Ready;
}

bool AviServer::open(const std::string& path, const AviWriterRecord& record) {
    return m_open && m_open(path.c_str(), &record) != 0;
}

bool AviServer::addFrame(const Image& picture) {
    if (!m_add) return false;
    const AviBitmap bitmap{picture.width(), picture.height(),
                           static_cast<std::int32_t>(picture.stride()), picture.data()};
    return m_add(&bitmap, -1) == 1;
}

void AviServer::close() {
    if (m_close) m_close();
}

void AviServer::quit() {
    if (!m_library.loaded()) return;
    if (m_quit) m_quit();
    m_open = nullptr;
    m_add = nullptr;
    m_close = nullptr;
    m_quit = nullptr;
    m_library.unload();
}

bool WriteAviVideo(ProgramState& state, AviServer& server, const AviVideoJob& job) {
    const int count = state.document.frames.size();
    const int first = std::max(0, job.first);
    const int last = job.last < 0 ? count - 1 : std::min(job.last, count - 1);
    const int total = std::max(0, last - first + 1);
    const ErrorReporter reporter = state.reporter();
    // The composition starts from what the editor's work images hold (the displayed frame's
    // pictures and the size of its composite), which it copies and leaves as they are.
    SequencePictures pictures(
        [&](const std::string& source, Image& picture) {
            return LoadLayerPicture(state, picture, source);
        },
        reporter, state.document.masks);
    for (int layer = 0; layer < 2; ++layer) {
        pictures.holdLayer(layer, state.cache.layerSource[layer], state.cache.layerFailed[layer],
                           layer == 0 ? state.images.layer1 : state.images.layer2);
    }
    pictures.holdMask(state.cache.maskNumber, state.cache.maskFailed, state.images.mask);
    Image composite = state.images.composite;
    AviWriterRecord record{};  // a width of 0: not opened yet
    for (int i = first; i <= last; ++i) {
        if (job.stopRequested && job.stopRequested()) break;
        pictures.compose(state.document.frames.at(i), composite);
        if (record.width == 0) {
            const int rate = job.frameRate ? job.frameRate() : kDefaultFrameRate;
            record = MakeAviWriterRecord(composite.width(), composite.height(), rate);
            if (!server.open(job.path, record)) {
                reporter.report(ErrorKind::UseAviExport, ErrorPlace::AviExport, 0);
                return false;
            }
        }
        bool added = false;
        if (composite.width() == record.width && composite.height() == record.height) {
            added = server.addFrame(composite);
        } else {
            const Image stretched = StretchPicture(composite, record.width, record.height);
            added = !stretched.empty() && server.addFrame(stretched);
        }
        if (!added) reporter.report(ErrorKind::UseAviExport, ErrorPlace::AviExport, 1);
        if (job.progress) job.progress(i - first + 1, total);
    }
    server.close();
    return true;
}

void ExportAviVideo(ProgramState& state) {
    AviServer server;
    if (!started(state, server)) return;
    const LanguageTable& texts = state.language.texts;
    const FileChoice choice = state.shell.requestSaveFile(
        {texts[Text::RequesterAviexporttitle], "frame", texts[Text::RequesterAviexporttext], 0});
    if (!choice.path.empty()) {
        StoreDisplayedMask(state);
        AviVideoJob job;
        job.path = ReplaceExtension(choice.path, ".avi");
        job.frameRate = [&] {
            return FrameRateFromAnswer(state.shell.requestText(
                texts[Text::RequesterAviframerate], texts[Text::RequesterAviframeratetext],
                std::to_string(kDefaultFrameRate)));
        };
        WriteAviVideo(state, server, job);
    }
    server.quit();
}

bool RenderAviVideo(ProgramState& state, const AviVideoJob& job) {
    AviServer server;
    if (!started(state, server)) return false;
    StoreDisplayedMask(state);
    const bool opened = WriteAviVideo(state, server, job);
    server.quit();
    return opened;
}

}  // namespace morvel
