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
    const std::string lines = ReplaceAll(text, "\r\n", "\n  ");
    std::fprintf(stderr, "morvel-render: warning: %s\n", lines.c_str());
    std::fflush(stderr);
}

int ConsoleShell::chooseFolder(const std::string&, const std::string& text,
                               const std::vector<FolderCandidate>& candidates) {
    ++m_errors;
    m_refusedFolders = true;
    if (beforeError) beforeError();
    std::fprintf(stderr, "morvel-render: %s\n", text.c_str());
    for (const FolderCandidate& candidate : candidates)
        std::fprintf(stderr, "  %s (%d)\n", candidate.folder.c_str(), candidate.count);
    std::fprintf(stderr, "morvel-render: none is taken; name the shoot's folder with --search\n");
    std::fflush(stderr);
    return -1;
}

}  // namespace morvel
