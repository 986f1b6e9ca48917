#include "project/name_template.h"

#include "platform/files.h"
#include "platform/text.h"

namespace morvel {

namespace {

// The position of the "." that starts name's extension, or npos.
std::size_t extensionDot(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return dot;
    if (name.find_first_of("/\\", dot) != std::string::npos) return std::string::npos;
    return dot;
}

std::string padded(int k, int digits) {
    std::string number = std::to_string(k);
    if (digits > 0 && number.size() < static_cast<std::size_t>(digits))
        number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
    return number;
}

}  // namespace

int DigitCount(int n) {
    return static_cast<int>(std::to_string(n).size());
}

std::string ExpandNameTemplate(const std::string& nameTemplate, int k, int digits,
                               const std::string& projectPath, std::optional<int> layer,
                               const std::string& extension) {
    std::string name = ReplaceAll(nameTemplate, "\\", "/");
    name = ReplaceAllIgnoreCase(name, "$nr", padded(k, digits));
    name = ReplaceAllIgnoreCase(name, "$project", ReplaceExtension(FilePart(projectPath), ""));
    if (layer) {
        name = ReplaceAllIgnoreCase(name, "$layer", std::to_string(*layer + 1));
        name += extension;
    }
    // The project path is a path of this system: only "/" separates its folders.
    return FolderPart(projectPath) + name;
}

std::string ReplaceExtension(const std::string& name, const std::string& extension) {
    const std::size_t dot = extensionDot(name);
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

std::string FileExtension(const std::string& name) {
    const std::size_t dot = extensionDot(name);
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace morvel
