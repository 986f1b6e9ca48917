#include "platform/text.h"

namespace morvel {

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

template <typename Matches>
std::string replaceWith(std::string_view text, std::string_view what, std::string_view with,
                        Matches matches) {
    if (what.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= what.size() && matches(text.substr(i, what.size()), what)) {
            result += with;
            i += what.size();
        } else {
            result += text[i++];
        }
    }
    return result;
}

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
    return replaceWith(text, what, with,
                       [](std::string_view a, std::string_view b) { return a == b; });
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view what,
                                 std::string_view with) {
    return replaceWith(text, what, with, EqualsIgnoreCase);
}

}  // namespace morvel
