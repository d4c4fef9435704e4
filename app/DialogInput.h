// What the main dialog makes of the texts typed into its fields before it uses them.
#pragma once

#include <string>

// The text without one pair of double quotes around it (and the blanks outside them), as
// Windows' "Copy as path" puts them; any other text as it is.
std::string unquotedPath(const std::string& text);

// True for an empty text and for one of blanks and tabs only.
bool isBlank(const std::string& text);

// True when the system says that no file or folder of this name exists (the name, or a folder
// on its way, is not there, or it cannot name a file). A file that exists but cannot be read is
// not missing: the load reports why it cannot open it.
bool fileIsMissing(const std::string& path);

// The folder the file picker opens in: the one the text in File name names or lies in, when it
// exists; else lastFolder when that exists; else empty (the system's choice). Relative names
// count from the current folder.
std::string pickerFolderFor(const std::string& fileNameText, const std::string& lastFolder);

// The folder part of a full path, without its closing separator unless it is a root ("C:\").
std::string folderOfPath(const std::string& path);
