#pragma once
// The program's string table: its message texts, the registry value names it writes and the
// log's file name, by number. Every layer loads its texts from here when it uses them.

#include <string>

namespace tw {

namespace StrId {
inline constexpr int AuditHeader = 65216;
inline constexpr int Left = 65217;
inline constexpr int Top = 65218;
inline constexpr int Width = 65219;
inline constexpr int Height = 65220;
inline constexpr int WindowState = 65221;
inline constexpr int ArpCacheKey = 65232;
inline constexpr int DisplayName = 65233;
inline constexpr int UninstallString = 65234;
inline constexpr int DisplayIcon = 65235;
inline constexpr int LogFileName = 65236;
inline constexpr int NewProgram = 65237;
inline constexpr int Error = 65238;
inline constexpr int ErrorExecuting = 65239;
inline constexpr int ErrorOpening = 65240;
inline constexpr int AdviceOk = 65241;
inline constexpr int AdviceMissing = 65242;
inline constexpr int DeleteConfirm = 65243;
inline constexpr int FillAllFields = 65244;
inline constexpr int AlreadyExists = 65245;
inline constexpr int UnableToCreate = 65246;
inline constexpr int UninstallerMissing = 65247;
inline constexpr int SettingsKey = 65260;
inline constexpr int SettingsSection = 65261;
inline constexpr int MainViewStyle = 65262;
inline constexpr int UninstallKey = 65263;
}  // namespace StrId

/// The text of a string-table entry; an unknown id gives "".
std::string LoadStr(int id);

/// The application title, the caption of the program's message boxes.
inline constexpr const char* kAppTitle = "Tidewell";

}  // namespace tw
