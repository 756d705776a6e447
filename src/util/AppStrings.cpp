#include "util/AppStrings.h"

#include <unordered_map>

namespace tw {

namespace {

const std::unordered_map<int, const char*>& Table() {
  static const std::unordered_map<int, const char*> table{
      {StrId::AuditHeader,
       "Software Audit Report for: %s\r\n"
       "Prepared on %s\r\n"
       "\r\n"
       "By Tidewell\r\n"
       "Copyright (c) Quenmark. All rights reserved.\r\n"
       "\r\n"
       "Computer Name: %s\r\n"
       "User Name: %s\r\n"
       "\r\n"
       "INSTALLED PROGRAMS:\r\n"
       "\r\n"},
      {StrId::Left, "Left"},
      {StrId::Top, "Top"},
      {StrId::Width, "Width"},
      {StrId::Height, "Height"},
      {StrId::WindowState, "WindowState"},
      {StrId::ArpCacheKey, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache"},
      {StrId::DisplayName, "DisplayName"},
      {StrId::UninstallString, "UninstallString"},
      {StrId::DisplayIcon, "DisplayIcon"},
      {StrId::LogFileName, "ULOG.TXT"},
      {StrId::NewProgram, "NewProgram"},
      {StrId::Error, "Error"},
      {StrId::ErrorExecuting,
       "There was an error executing the program. Make sure the path and filename are correct "
       "and that all required libraries are available."},
      {StrId::ErrorOpening,
       "There was an error opening the file or executing the program. Make sure the path and "
       "filename are correct and that all required libraries are available."},
      {StrId::AdviceOk,
       "The selected program (%s) can be uninstalled from your computer by clicking the "
       "Uninstall button below."},
      {StrId::AdviceMissing,
       "It seems that the uninstall program for %s (or one of its components) is missing. It is "
       "possible that you have already removed this program from your computer. To check if the "
       "program is really gone, please try to uninstall it by clicking the Uninstall button "
       "below."},
      {StrId::DeleteConfirm,
       "Are you sure you want to delete \"%s\" from the list of programs installed on your "
       "computer?\r\n\r\nWARNING: You should only delete the entries for programs that you know "
       "for sure that are no longer on your computer. If the program is still on your computer "
       "and you delete it from the list, you may not be able to uninstall it later.\r\n\r\nNote: "
       "If the program has a question mark near its name in the list, it does not mean for sure "
       "that the program is no longer on your  computer. To check if the program is really "
       "gone, please first try to uninstall it."},
      {StrId::FillAllFields, "Please fill in all the fields"},
      {StrId::AlreadyExists,
       "There is already an Add/Remove entry called \"%s\". Do you want to overwrite it?"},
      {StrId::UnableToCreate, "Unable to create the new entry."},
      {StrId::UninstallerMissing,
       "It seems that the uninstall program for this product (or one of its components) is "
       "missing. It is possible that you have already removed this program from your computer."},
      {StrId::SettingsKey, "Software\\Quenmark\\Tidewell"},
      {StrId::SettingsSection, "Desktop"},
      {StrId::MainViewStyle, "MainViewStyle"},
      {StrId::UninstallKey, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
  };
  return table;
}

}  // namespace

std::string LoadStr(int id) {
  const auto& table = Table();
  const auto it = table.find(id);
  return it == table.end() ? std::string() : std::string(it->second);
}

}  // namespace tw
