#pragma once

#include <string>

#include "platform/program_files.h"  // UserDataFolder, UserConfigFolder
#include "project/services.h"

namespace morvel {

// The MIME type that files "*.<extension>" get: "application/x-<extension>".
std::string ProjectMimeType(const std::string& extension);

// The desktop entry's file name for a program: its file name (letters, digits, "-", "_" and "."
// kept, anything else "_") + ".desktop".
std::string DesktopEntryName(const std::string& programPath);

// Makes programPath the program that opens files "*.<extension>" for this user, the way the
// desktops of this platform agree on (freedesktop.org):
//   - a shared-mime-info package defining ProjectMimeType(extension) for "*.<extension>" with the
//     description (written only when description is not empty),
//   - the program's icon under the icon theme folder,
//   - a desktop entry whose Exec starts programPath with the file as first argument,
//   - that entry as the default application of the type in mimeapps.list (other entries kept),
// all under the user's data and configuration folders; update-mime-database and
// update-desktop-database run when installed. Written again every time with the same content,
// so a moved program is found at its new place. Returns "" when every file was written, else the
// first path that could not be (or the unset folder's variable).
std::string AssociateProjectFiles(const std::string& extension, const std::string& description,
                                  const std::string& programPath);

// The menu item "MVL-Dateien mit Morvel öffnen": project files ("mvl") with the description of
// the text mvldescription, opened by the running program; the status line says whether it worked.
void AssociateProjectFilesWithThisProgram(const Services& services);

}  // namespace morvel
