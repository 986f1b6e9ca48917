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
    Parser(bool utf8, const std::vector<TextEntry>& added)
        : m_utf8(utf8), m_added(added), m_addedValues(added.size()) {}

    void line(std::string_view text) {
        text = trimLeft(text);
        if (text.empty() || text.front() == ';') return;
        if (text.front() == '[') {
            const std::size_t close = text.find(']', 1);
            const std::size_t nameEnd = close == std::string_view::npos ? text.size() : close;
            m_group = groupOf(text.substr(1, nameEnd - 1));
            m_addedGroup = text.substr(1, nameEnd - 1);
            return;
        }
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) return;
        const std::string_view key = trimRight(text.substr(0, equals));
        const auto& entries = LanguageTable::entries();
        const std::string_view rest = text.substr(equals + 1);
        for (std::size_t i = 0; i < m_added.size(); ++i) {
            if (!m_addedValues[i] && EqualsIgnoreCase(m_added[i].group, m_addedGroup) &&
                EqualsIgnoreCase(m_added[i].key, key))
                m_addedValues[i] = valueOf(rest);
        }
        if (m_group.empty()) return;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].group != m_group || m_values[i] ||
                !EqualsIgnoreCase(entries[i].key, key))
                continue;
            m_values[i] = valueOf(rest);
        }
    }

    LanguageFileValues take() { return std::move(m_values); }
    AddedTextValues takeAdded() { return std::move(m_addedValues); }

private:
    std::string valueOf(std::string_view rest) const {
        const std::string_view value = trimRight(trimLeft(rest));
        return m_utf8 ? SingleByteUtf8OrEmpty(value) : Windows1252ToUtf8(value);
    }

    bool m_utf8;
    std::string_view m_group;  // empty before the first header, as for unknown groups
    LanguageFileValues m_values;
    // The texts added to the table, read under the group named as the file spells it.
    const std::vector<TextEntry>& m_added;
    std::string_view m_addedGroup;
    AddedTextValues m_addedValues;
};

}  // namespace

LanguageFileValues ParseLanguageFile(std::string_view bytes) {
    AddedTextValues none;
    return ParseLanguageFile(bytes, {}, none);
}

LanguageFileValues ParseLanguageFile(std::string_view bytes, const std::vector<TextEntry>& added,
                                     AddedTextValues& addedValues) {
    const bool utf8 = bytes.starts_with(kUtf8Marker);
    if (utf8) bytes.remove_prefix(kUtf8Marker.size());
    Parser parser(utf8, added);
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
    addedValues = parser.takeAdded();
    return parser.take();
}

void ApplyLanguageFile(std::string_view bytes, LanguageTable& table) {
    table.resetToDefaults();
    AddedTextValues added;
    LanguageFileValues values = ParseLanguageFile(bytes, table.added(), added);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i]) table.set(static_cast<Text>(i), std::move(*values[i]));
    }
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (added[i]) table.setAdded(i, std::move(*added[i]));
    }
}

}  // namespace morvel
