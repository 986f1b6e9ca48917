#include "tools/console_shell.h"

#include <cstdio>

#include "platform/text.h"

namespace morvel {

void ConsoleShell::showError(const std::string&, const std::string& text) {
    ++m_errors;
    if (beforeError) beforeError();
    const std::string lines = ReplaceAll(text, "\r\n", "\n");
    std::fprintf(stderr, "%s\n", lines.c_str());
    std::fflush(stderr);
}

void ConsoleShell::showMessage(const std::string&, const std::string& text) {
    if (beforeError) beforeError();
    std::fprintf(stderr, "morvel-render: warning: %s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace morvel
