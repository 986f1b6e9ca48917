#include "project/project_file.h"

#include <algorithm>
#include <charconv>

#include "codecs/picture_io.h"
#include "platform/file_stamp.h"
#include "platform/files.h"
#include "project/name_template.h"

namespace morvel {

namespace {

// Reads the file's items in order. A line ends at CR, LF, NUL or the end; CR LF is one line
// end, while a CR followed by another byte ends the line and that byte starts the next one.
// Past the end every line is empty and every number 0.
class ProjectFileReader {
public:
    explicit ProjectFileReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::string line() {
        const std::size_t start = m_position;
        while (m_position < m_bytes.size()) {
            const std::uint8_t byte = m_bytes[m_position];
            if (byte == '\r' || byte == '\n' || byte == 0) break;
            ++m_position;
        }
        std::string text(reinterpret_cast<const char*>(m_bytes.data()) + start,
                         std::min(m_position - start, kMaxProjectLineBytes));
        if (m_position < m_bytes.size()) {
            const std::uint8_t end = m_bytes[m_position++];
            if (end == '\r' && m_position < m_bytes.size() && m_bytes[m_position] == '\n')
                ++m_position;
        }
        return text;
    }

    std::int32_t count() {
        if (m_bytes.size() - m_position < 4) {
            m_position = m_bytes.size();
            return 0;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= std::uint32_t{m_bytes[m_position + i]} << (8 * i);
        m_position += 4;
        return static_cast<std::int32_t>(value);
    }

    std::uint8_t byte() { return m_position < m_bytes.size() ? m_bytes[m_position++] : 0; }
    bool atEnd() const { return m_position >= m_bytes.size(); }

    // How many frame entries (two lines and a flag byte) begin before the end of the file,
    // counting no further than limit. Reads nothing into memory and leaves the position.
    std::int64_t entriesHeld(std::int64_t limit) const {
        ProjectFileReader scan(*this);
        std::int64_t held = 0;
        while (held < limit && scan.m_position < scan.m_bytes.size()) {
            scan.skipLine();
            scan.skipLine();
            scan.byte();
            ++held;
        }
        return held;
    }

private:
    void skipLine() {
        while (m_position < m_bytes.size()) {
            const std::uint8_t byte = m_bytes[m_position++];
            if (byte == '\n' || byte == 0) return;
            if (byte == '\r') {
                if (m_position < m_bytes.size() && m_bytes[m_position] == '\n') ++m_position;
                return;
            }
        }
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

// One line of the file: CR, LF and NUL would end the line early and shift every later item,
// so a single-line field keeps none of them.
std::string singleLine(const std::string& text) {
    std::string line = text;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return line;
}

// The comment's line breaks (CR LF, and lone CR or LF from other editors) become the byte 0x01,
// which reads back as CR LF.
std::string encodeComment(const std::string& comment) {
    std::string encoded;
    for (std::size_t i = 0; i < comment.size(); ++i) {
        const char c = comment[i];
        if (c == '\r') {
            if (i + 1 < comment.size() && comment[i + 1] == '\n') ++i;
            encoded += '\x01';
        } else if (c == '\n') {
            encoded += '\x01';
        } else if (c != '\0') {
            encoded += c;
        }
    }
    return encoded;
}

std::string decodeComment(const std::string& line) {
    std::string comment;
    for (const char c : line) {
        if (c == '\x01') {
            comment += "\r\n";
        } else {
            comment += c;
        }
    }
    return comment;
}

void appendLine(std::vector<std::uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back('\r');
    out.push_back('\n');
}

// An offset line: a decimal number within the offset's range; anything else is 0.
std::int32_t parseOffset(const std::string& line) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (error != std::errc() || end != line.data() + line.size()) return 0;
    return std::clamp(value, -kMaxSoundOffset, kMaxSoundOffset);
}

// Creates the folder of a target file (one level); an existing folder is fine.
void makeFolderOf(const std::string& target) {
    const auto separator = target.find_last_of("/\\");
    if (separator != std::string::npos && separator > 0) MakeFolder(target.substr(0, separator));
}

}  // namespace

ProjectFileContents ParseProjectFile(std::span<const std::uint8_t> bytes) {
    ProjectFileReader reader(bytes);
    ProjectFileContents contents;
    contents.identified = reader.line() == kProjectIdentification;
    if (!contents.identified) return contents;
    contents.title = reader.line();
    contents.author = reader.line();
    contents.comment = decodeComment(reader.line());
    contents.maskTemplate = reader.line();
    contents.frameTemplate = reader.line();
    contents.announcedFrames = reader.count();
    const std::int32_t frameCount = std::max(contents.announcedFrames, 0);
    if (frameCount > kMaxProjectFrames ||
        (frameCount > kPlausibleFrameCount && reader.entriesHeld(frameCount) < frameCount)) {
        contents.countRefused = true;
        return contents;
    }
    contents.frames.reserve(static_cast<std::size_t>(frameCount));
    for (std::int32_t k = 0; k < frameCount; ++k) {
        if (!reader.atEnd()) contents.framesRead = k + 1;
        ProjectFileFrame frame;
        frame.layerSource[0] = reader.line();
        frame.layerSource[1] = reader.line();
        frame.hasMask = reader.byte() != 0;
        contents.frames.push_back(std::move(frame));
    }
    if (!contents.cutShort() && !reader.atEnd() && reader.line() == kSoundSectionIdentification) {
        contents.sound.file = reader.line();
        contents.sound.offset = parseOffset(reader.line());
        // A path cut off at the line limit names no file.
        if (contents.sound.file.size() >= kMaxProjectLineBytes) contents.sound = {};
    }
    return contents;
}

std::vector<std::uint8_t> SerializeProjectFile(const ProjectHeader& header,
                                               const std::vector<ProjectFileFrame>& frames,
                                               const SoundTrack& sound) {
    std::vector<std::uint8_t> out;
    appendLine(out, kProjectIdentification);
    appendLine(out, singleLine(header.title));
    appendLine(out, singleLine(header.author));
    appendLine(out, encodeComment(header.comment));
    appendLine(out, singleLine(header.maskTemplate));
    appendLine(out, singleLine(header.frameTemplate));
    const auto count = static_cast<std::uint32_t>(frames.size());
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(count >> (8 * i)));
    for (const ProjectFileFrame& frame : frames) {
        appendLine(out, singleLine(frame.layerSource[0]));
        appendLine(out, singleLine(frame.layerSource[1]));
        out.push_back(frame.hasMask ? 1 : 0);
    }
    if (!sound.empty()) {
        appendLine(out, kSoundSectionIdentification);
        appendLine(out, singleLine(sound.file));
        appendLine(out, std::to_string(sound.offset));
    }
    return out;
}

bool WriteProjectFile(Document& document, const ErrorReporter& reporter,
                      const MasksInMemory* masksInMemory) {
    const ProjectHeader& header = document.header;
    const std::string& path = header.projectFilePath;

    // Nothing is copied when the project file cannot be created.
    if (!CanWriteFile(path)) {
        reporter.report(ErrorKind::SaveProject, ErrorPlace::SaveProject, 1, path);
        return false;
    }

    // Every mask file and picture copy is written completely under a temporary name first; they
    // replace their old files only once the project file is written as well, so a save that
    // fails on the way leaves the old project, project file and files beside it, as it was.
    struct Copy {
        StagedFile file;
        int frame;
        int layer;  // 0 or 1 for a picture copy, -1 for a mask
        std::string source;
    };
    std::vector<Copy> copies;
    const auto stage = [&](const std::string& source, const std::string& target, int frame,
                           int layer, const GreyImage* inMemory = nullptr) {
        makeFolderOf(target);
        Copy copy{{}, frame, layer, source};
        std::optional<std::vector<std::uint8_t>> bytes;
        std::vector<std::uint8_t> encoded;
        if (!inMemory) {
            bytes = ReadFileBytes(source);
        } else if (EncodeMaskPng(*inMemory, encoded)) {
            bytes = std::move(encoded);
        }
        if (!bytes) return false;
        // A file that holds these bytes already (a mask not edited since it was opened) stays:
        // saving a long film then writes what changed, not every mask again.
        const FileStamp old = StampOf(target);
        if (old.seconds >= 0 && old.size == static_cast<long long>(bytes->size()) &&
            IsRegularFile(target) && ReadFileBytes(target) == bytes)
            return true;
        if (!copy.file.write(target, *bytes)) return false;
        copies.push_back(std::move(copy));
        return true;
    };
    const auto reportCopy = [&](const Copy& copy) {
        reporter.report(ErrorKind::CopyImage, ErrorPlace::SaveProject,
                        copy.layer < 0 ? 300 : copy.layer + 1,
                        copy.source + "|" + copy.file.target());
    };

    const int count = document.frames.size();
    const int digits = DigitCount(count);
    std::vector<ProjectFileFrame> entries(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const FrameRecord& frame = document.frames.at(i);
        ProjectFileFrame& entry = entries[static_cast<std::size_t>(i)];
        const int k = i + 1;
        for (int layer = 0; layer < 2; ++layer) {
            const std::string& source = frame.layerSource[layer];
            entry.layerSource[layer] = source;
            if (header.frameTemplate.empty() || source.empty()) continue;
            // Appended rather than "." + ...: GCC 12 takes the inlined concatenation for an
            // overlapping copy (-Wrestrict) in optimised builds.
            std::string extension = ".";
            extension += FileExtension(source);
            const std::string target =
                ExpandNameTemplate(header.frameTemplate, k, digits, path, layer, extension);
            if (stage(source, target, i, layer)) {
                entry.layerSource[layer] = target;
            } else {
                reporter.report(ErrorKind::CopyImage, ErrorPlace::SaveProject, layer + 1,
                                source + "|" + target);
            }
        }
        if (frame.maskNumber != 0) {
            const std::string target =
                ExpandNameTemplate(header.maskTemplate, k, digits, path, std::nullopt, "");
            const std::string workingFile = document.masks.workingFile(frame.maskNumber);
            const auto kept = masksInMemory ? masksInMemory->find(frame.maskNumber)
                                            : MasksInMemory::const_iterator();
            const bool inMemory = masksInMemory && kept != masksInMemory->end();
            entry.hasMask =
                stage(workingFile, target, i, -1, inMemory ? kept->second.get() : nullptr);
            if (!entry.hasMask) {
                reporter.report(ErrorKind::CopyImage, ErrorPlace::SaveProject, 300,
                                workingFile + "|" + target);
            }
        }
    }

    StagedFile projectFile;
    if (!projectFile.write(path, SerializeProjectFile(header, entries, document.sound))) {
        reporter.report(ErrorKind::SaveProject, ErrorPlace::SaveProject, 1, path);
        return false;  // the staged copies are removed
    }
    // Renaming in place hardly fails once everything is written; a copy that still does is
    // reported, and the project file written again without it.
    bool entriesChanged = false;
    for (Copy& copy : copies) {
        ProjectFileFrame& entry = entries[static_cast<std::size_t>(copy.frame)];
        if (copy.file.commit()) continue;
        reportCopy(copy);
        entriesChanged = true;
        if (copy.layer < 0) {
            entry.hasMask = false;
        } else {
            entry.layerSource[copy.layer] = document.frames.at(copy.frame).layerSource[copy.layer];
        }
    }
    if (entriesChanged && !projectFile.write(path, SerializeProjectFile(header, entries, document.sound))) {
        reporter.report(ErrorKind::SaveProject, ErrorPlace::SaveProject, 1, path);
        return false;
    }
    if (!projectFile.commit()) {
        reporter.report(ErrorKind::SaveProject, ErrorPlace::SaveProject, 1, path);
        return false;
    }
    // The project now refers to the picture copies.
    for (int i = 0; i < count; ++i) {
        for (int layer = 0; layer < 2; ++layer)
            document.frames.at(i).layerSource[layer] =
                entries[static_cast<std::size_t>(i)].layerSource[layer];
    }
    return true;
}

}  // namespace morvel
