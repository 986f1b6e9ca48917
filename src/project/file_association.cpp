#include "project/file_association.h"

#include <cctype>
#include <cstdlib>

#include "platform/files.h"
#include "codecs/picture_io.h"
#include "platform/process.h"
#include "platform/text.h"
#include "project/program_icon.h"

namespace morvel {

namespace {

constexpr int kIconSize = 128;

// Creates every missing folder of path (which ends with "/").
bool makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (!MakeFolder(path.substr(0, slash))) return false;
    }
    return true;
}

bool writeText(const std::string& path, const std::string& text) {
    return makeFolders(FolderPart(path)) &&
           WriteFileBytes(
               path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML 1.0.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
        }
    }
    return out;
}

// A value of a desktop entry: the escapes of its string type.
std::string desktopValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// One argument of an Exec line, quoted as the desktop entry rules ask: inside double quotes a
// '"', '`', '$' and '\' get a backslash, and a '%' is doubled.
std::string execArgument(const std::string& argument) {
    std::string out = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '%') {
            out += "%%";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string mimePackage(const std::string& type, const std::string& extension,
                        const std::string& description, const std::string& iconName) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           type + "\">\n    <comment>" + xmlEscaped(description) + "</comment>\n    <icon name=\"" +
           iconName + "\"/>\n    <glob pattern=\"*." + xmlEscaped(extension) +
           "\"/>\n  </mime-type>\n</mime-info>\n";
}

std::string desktopEntry(const std::string& programPath, const std::string& description,
                         const std::string& iconPath, const std::string& type) {
    std::string name = FilePart(programPath);
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    std::string entry =
        "[Desktop Entry]\nType=Application\nVersion=1.0\nName=" + desktopValue(name) + "\n";
    if (!description.empty()) entry += "Comment=" + desktopValue(description) + "\n";
    entry += "Exec=" + desktopValue(execArgument(programPath)) + " %f\n";
    entry += "TryExec=" + desktopValue(programPath) + "\n";
    entry += "Icon=" + desktopValue(iconPath) + "\n";
    entry += "Terminal=false\nCategories=Graphics;Video;\nMimeType=" + type + ";\n";
    return entry;
}

// mimeapps.list with "type=entry" set in [Default Applications] and added to the list of
// [Added Associations]; every other line stays as it was.
std::string mimeAppsWith(const std::string& old, const std::string& type,
                         const std::string& entry) {
    struct Section {
        const char* name;
        std::string line;  // what "type=" gets in it
        bool done = false;
    };
    Section sections[] = {{"[Default Applications]", type + "=" + entry},
                          {"[Added Associations]", type + "=" + entry + ";"}};
    std::string out;
    Section* current = nullptr;
    const auto finishSection = [&] {
        if (current && !current->done) {
            out += current->line + "\n";
            current->done = true;
        }
    };
    std::size_t start = 0;
    while (start < old.size()) {
        std::size_t end = old.find('\n', start);
        if (end == std::string::npos) end = old.size();
        const std::string line = old.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line[0] == '[') {
            finishSection();
            current = nullptr;
            for (Section& section : sections)
                if (line == section.name) current = &section;
            out += line + "\n";
            continue;
        }
        if (current && line.rfind(type + "=", 0) == 0) {
            if (!current->done) {
                if (current == &sections[1]) {
                    // Keep the other applications added for the type, ours first.
                    std::string others = line.substr(type.size() + 1);
                    std::string list = entry + ";";
                    std::size_t from = 0;
                    while (from < others.size()) {
                        std::size_t to = others.find(';', from);
                        if (to == std::string::npos) to = others.size();
                        const std::string item = others.substr(from, to - from);
                        if (!item.empty() && item != entry) list += item + ";";
                        from = to + 1;
                    }
                    current->line = type + "=" + list;
                }
                out += current->line + "\n";
                current->done = true;
            }
            continue;
        }
        out += line + "\n";
    }
    finishSection();
    for (Section& section : sections) {
        if (!section.done) {
            if (!out.empty() && out.back() != '\n') out += "\n";
            out += std::string(section.name) + "\n" + section.line + "\n";
        }
    }
    return out;
}

}  // namespace

std::string ProjectMimeType(const std::string& extension) {
    return "application/x-" + extension;
}

std::string DesktopEntryName(const std::string& programPath) {
    std::string name = FilePart(programPath);
    for (char& c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!allowed) c = '_';
    }
    return (name.empty() ? std::string("program") : name) + ".desktop";
}

std::string AssociateProjectFiles(const std::string& extension, const std::string& description,
                                  const std::string& programPath) {
    const std::string data = UserDataFolder();
    const std::string config = UserConfigFolder();
    if (data.empty() || config.empty()) return data.empty() ? "$XDG_DATA_HOME" : "$XDG_CONFIG_HOME";
    if (extension.empty() || programPath.empty()) return programPath;
    const std::string type = ProjectMimeType(extension);
    const std::string entryName = DesktopEntryName(programPath);
    const std::string iconName = entryName.substr(0, entryName.size() - 8);
    std::string failed;
    const auto write = [&failed](const std::string& path, const std::string& text) {
        if (!writeText(path, text) && failed.empty()) failed = path;
    };

    // The icon where icon themes look for it; the entry names it by its full path, so that it
    // shows without a theme cache.
    const std::string iconFolder = data + "icons/hicolor/" + std::to_string(kIconSize) + "x" +
                                   std::to_string(kIconSize) + "/apps/";
    const std::string iconPath = iconFolder + iconName + ".png";
    if (!makeFolders(iconFolder) ||
        !SavePictureFile(ProgramIcon(kIconSize), iconPath, PictureFormat::Png))
        failed = iconPath;

    if (!description.empty()) {
        write(data + "mime/packages/" + type.substr(type.find('/') + 1) + ".xml",
              mimePackage(type, extension, description, iconName));
        RunProgram("update-mime-database", {data + "mime"});
    }

    write(data + "applications/" + entryName,
          desktopEntry(programPath, description, iconPath, type));
    RunProgram("update-desktop-database", {data + "applications"});

    const std::string mimeApps = config + "mimeapps.list";
    const auto old = ReadFileBytes(mimeApps);
    write(mimeApps, mimeAppsWith(old ? std::string(old->begin(), old->end()) : std::string(), type,
                                 entryName));
    return failed;
}

void AssociateProjectFilesWithThisProgram(const Services& services) {
    const LanguageTable& texts = services.language.texts;
    const std::string failed =
        AssociateProjectFiles("mvl", texts[Text::ElseMvldescription], ExecutablePath());
    services.shell.showStatus(StatusPart::Notice,
                              failed.empty() ? texts[Text::ElseAssociated]
                                             : ReplaceAll(texts[Text::ElseNotassociated], "$FILE",
                                                          failed));
}

}  // namespace morvel
