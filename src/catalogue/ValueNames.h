#pragma once
// The names of the values the program reads from a catalogue entry and from the usage cache.
// DisplayName, UninstallString and DisplayIcon stand in the string table, as the values the
// program writes; the rest are named here.

#include "util/AppStrings.h"

namespace tw::ValueName {

inline constexpr std::string_view DisplayName = StrText(StrId::DisplayName);
inline constexpr std::string_view UninstallString = StrText(StrId::UninstallString);
inline constexpr std::string_view DisplayIcon = StrText(StrId::DisplayIcon);
inline constexpr const char* EstimatedSize = "EstimatedSize";
inline constexpr const char* InstallDate = "InstallDate";
inline constexpr const char* Publisher = "Publisher";
inline constexpr const char* DisplayVersion = "DisplayVersion";
inline constexpr const char* Contact = "Contact";
inline constexpr const char* HelpTelephone = "HelpTelephone";
inline constexpr const char* UrlInfoAbout = "URLInfoAbout";
inline constexpr const char* HelpLink = "HelpLink";
inline constexpr const char* Readme = "Readme";
inline constexpr const char* UrlUpdateInfo = "URLUpdateInfo";
inline constexpr const char* Comments = "Comments";
inline constexpr const char* ModifyPath = "ModifyPath";
inline constexpr const char* Language = "Language";
inline constexpr const char* InstallSource = "InstallSource";
inline constexpr const char* InstallLocation = "InstallLocation";
inline constexpr const char* WindowsInstaller = "WindowsInstaller";
inline constexpr const char* ProductId = "ProductID";
inline constexpr const char* RegOwner = "RegOwner";
inline constexpr const char* RegCompany = "RegCompany";
inline constexpr const char* QuietUninstallString = "QuietUninstallString";
inline constexpr const char* SystemComponent = "SystemComponent";
inline constexpr const char* ParentKeyName = "ParentKeyName";
inline constexpr const char* ReleaseType = "ReleaseType";
/// The usage cache's record of one program.
inline constexpr const char* SlowInfoCache = "SlowInfoCache";

}  // namespace tw::ValueName
