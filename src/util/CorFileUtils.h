#pragma once
// File existence tests by a directory search.

#include <string>

#include "util/Platform.h"

namespace tw {

/// True when a directory search for the path finds an entry (a folder, or any match of
/// wildcard characters, counts). An empty path is false.
bool FindFileExists(FileSystem& files, const std::string& path);

/// As FindFileExists, also returning the found entry's directory record.
bool FindFileData(FileSystem& files, const std::string& path, FindData& record);

/// The folder part of a path including its trailing backslash ("C:\A\b.exe" gives "C:\A\").
std::string ExtractFilePath(const std::string& path);

/// The name part of a path, after the last backslash, slash or colon.
std::string ExtractFileName(const std::string& path);

/// True when the system takes the path for a device rather than a file: a path in the
/// device namespace ("\\.\COM10"), or one whose name is a reserved device name (CON, PRN,
/// AUX, NUL, COM1 to COM9, LPT1 to LPT9, in any letter case), also with an extension, a
/// colon or blanks after it and a folder before it ("C:\Reports\nul.txt").
bool IsDeviceName(const std::string& path);

}  // namespace tw
