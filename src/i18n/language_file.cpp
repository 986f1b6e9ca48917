#include "i18n/language_file.h"

#include "platform/text.h"
#include "platform/text_encoding.h"

namespace morvel {

namespace {

constexpr std::string_view kUtf8Marker = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start])) ++start;
    return text.substr(start);
}

std::string_view trimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) --end;
    return text.substr(0, end);
}

// The table's spelling of a group named in a file; empty for an unknown group. A group's texts
// may lie in several places of the table: texts added later are appended at its end.
std::string_view groupOf(std::string_view name) {
    for (const TextEntry& entry : LanguageTable::entries())
        if (EqualsIgnoreCase(entry.group, name)) return entry.group;
    return {};
}

class Parser {
public:
    explicit Parser(bool utf8) : m_utf8(utf8) {}

    void line(std::string_view text) {
        text = trimLeft(text);
        if (text.empty() || text.front() == ';') return;
        if (text.front() == '[') {
            const std::size_t close = text.find(']', 1);
            const std::size_t nameEnd = close == std::string_view::npos ? text.size() : close;
            m_group = groupOf(text.substr(1, nameEnd - 1));
            return;
        }
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) return;
        const std::string_view key = trimRight(text.substr(0, equals));
        const auto& entries = LanguageTable::entries();
        if (m_group.empty()) return;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].group != m_group || m_values[i] ||
                !EqualsIgnoreCase(entries[i].key, key))
                continue;
            const std::string_view value = trimRight(trimLeft(text.substr(equals + 1)));
            m_values[i] = m_utf8 ? SingleByteUtf8OrEmpty(value) : Windows1252ToUtf8(value);
        }
    }

    LanguageFileValues take() { return std::move(m_values); }

private:
    bool m_utf8;
    std::string_view m_group;  // empty before the first header, as for unknown groups
    LanguageFileValues m_values;
};

}  // namespace

LanguageFileValues ParseLanguageFile(std::string_view bytes) {
    const bool utf8 = bytes.starts_with(kUtf8Marker);
    if (utf8) bytes.remove_prefix(kUtf8Marker.size());
    Parser parser(utf8);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        if (end - start <= kMaxLanguageLineBytes) parser.line(bytes.substr(start, end - start));
        // Step over the line end: CR, LF, or CR LF as one.
        start = end;
        if (start < bytes.size()) {
            const bool crLf =
                bytes[start] == '\r' && start + 1 < bytes.size() && bytes[start + 1] == '\n';
            start += crLf ? 2 : 1;
        }
    }
    return parser.take();
}

void ApplyLanguageFile(std::string_view bytes, LanguageTable& table) {
    table.resetToDefaults();
    LanguageFileValues values = ParseLanguageFile(bytes);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i]) table.set(static_cast<Text>(i), std::move(*values[i]));
    }
}

}  // namespace morvel
