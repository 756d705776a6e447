#pragma once
// The program's string table: every text the user sees (messages, labels, menu items,
// hints), the registry value names it writes and the log's file name, by id. The table is
// one list: each id comes with its text, so an id without a text cannot be written.

#include <string>
#include <string_view>

namespace tw {

// X(id, number, text). The numbers of the first entries are the table's historic ones; the
// texts of each part of the program follow in lists of their own below.
#define TIDEWELL_STRING_TABLE(X)                                                                    \
  X(AuditHeader, 65216,                                                                             \
    "Software Audit Report for: %s\r\n"                                                             \
    "Prepared on %s\r\n"                                                                            \
    "\r\n"                                                                                          \
    "By Tidewell\r\n"                                                                               \
    "Copyright (c) Quenmark. All rights reserved.\r\n"                                              \
    "\r\n"                                                                                          \
    "Computer Name: %s\r\n"                                                                         \
    "User Name: %s\r\n"                                                                             \
    "\r\n"                                                                                          \
    "INSTALLED PROGRAMS:\r\n"                                                                       \
    "\r\n")                                                                                         \
  X(Left, 65217, "Left")                                                                            \
  X(Top, 65218, "Top")                                                                              \
  X(Width, 65219, "Width")                                                                          \
  X(Height, 65220, "Height")                                                                        \
  X(WindowState, 65221, "WindowState")                                                              \
  X(ArpCacheKey, 65232, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache")   \
  X(DisplayName, 65233, "DisplayName")                                                              \
  X(UninstallString, 65234, "UninstallString")                                                      \
  X(DisplayIcon, 65235, "DisplayIcon")                                                              \
  X(LogFileName, 65236, "ULOG.TXT")                                                                 \
  X(NewProgram, 65237, "NewProgram")                                                                \
  X(Error, 65238, "Error")                                                                          \
  X(ErrorExecuting, 65239,                                                                          \
    "There was an error executing the program. Make sure the path and filename are correct "       \
    "and that all required libraries are available.")                                               \
  X(ErrorOpening, 65240,                                                                            \
    "There was an error opening the file or executing the program. Make sure the path and "        \
    "filename are correct and that all required libraries are available.")                          \
  X(AdviceOk, 65241,                                                                                \
    "The selected program (%s) can be uninstalled from your computer by clicking the "             \
    "Uninstall button below.")                                                                      \
  X(AdviceMissing, 65242,                                                                           \
    "It seems that the uninstall program for %s (or one of its components) is missing. It is "     \
    "possible that you have already removed this program from your computer. To check if the "     \
    "program is really gone, please try to uninstall it by clicking the Uninstall button "         \
    "below.")                                                                                       \
  X(DeleteConfirm, 65243,                                                                           \
    "Are you sure you want to delete \"%s\" from the list of programs installed on your "          \
    "computer?\r\n\r\nWARNING: You should only delete the entries for programs that you know "     \
    "for sure that are no longer on your computer. If the program is still on your computer "      \
    "and you delete it from the list, you may not be able to uninstall it later.\r\n\r\nNote: "    \
    "If the program has a question mark near its name in the list, it does not mean for sure "     \
    "that the program is no longer on your  computer. To check if the program is really "          \
    "gone, please first try to uninstall it.")                                                      \
  X(FillAllFields, 65244, "Please fill in all the fields")                                          \
  X(AlreadyExists, 65245, "There is already an Add/Remove entry called \"%s\". Do you want to overwrite it?") \
  X(UnableToCreate, 65246, "Unable to create the new entry.")                                       \
  X(UninstallerMissing, 65247,                                                                      \
    "It seems that the uninstall program for this product (or one of its components) is "          \
    "missing. It is possible that you have already removed this program from your computer.")       \
  X(SettingsKey, 65260, "Software\\Quenmark\\Tidewell")                                             \
  X(SettingsSection, 65261, "Desktop")                                                              \
  X(MainViewStyle, 65262, "MainViewStyle")                                                          \
  X(UninstallKey, 65263, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall")

// The texts of each part of the program, with numbers in the part's own range.
// Main window: 1000 to 1099.
#define TIDEWELL_STRINGS_MAIN(X)                                                                    \
  X(MainListHeader, 1000, "Select the program(s) you want to uninstall from your computer:")        \
  X(ColumnName, 1001, "Name")                                                                       \
  X(ColumnKey, 1002, "Key")                                                                         \
  X(ColumnTarget, 1003, "Target")                                                                   \
  X(ColumnSize, 1004, "Size")                                                                       \
  X(ColumnLastUsedOn, 1005, "Last Used On")                                                         \
  X(ColumnFrequency, 1006, "Frequency")                                                             \
  X(ColumnUninstallCommand, 1007, "Uninstall Command")                                              \
  X(FindButton, 1008, "Find")                                                                       \
  X(ViewStyleLink, 1009, "View Style")                                                              \
  X(RefreshLink, 1010, "Refresh")                                                                   \
  X(UninstallButton, 1011, "Uninstall")                                                             \
  X(DeleteFromListButton, 1012, "Delete From List")                                                 \
  X(ProgramDetailsButton, 1013, "Program Details")                                                  \
  X(OtherOptionsButton, 1014, "Other Options")                                                      \
  X(HelpButton, 1015, "Help")                                                                       \
  X(MenuEditProgramDetails, 1020, "Edit Program Details...")                                        \
  X(MenuNewProgram, 1021, "New Program...")                                                         \
  X(MenuUninstallLog, 1022, "Uninstall Log...")                                                     \
  X(MenuAuditReport, 1023, "Print or Save Audit Report...")                                         \
  X(MenuAbout, 1024, "About...")                                                                    \
  X(MenuExit, 1025, "Exit")                                                                         \
  X(MenuUninstall, 1026, "Uninstall")                                                               \
  X(MenuDeleteFromList, 1027, "Delete From List")                                                   \
  X(MenuProgramDetails, 1028, "Program Details...")                                                 \
  X(MenuLargeIcons, 1029, "Large Icons")                                                            \
  X(MenuSmallIcons, 1030, "Small Icons")                                                            \
  X(MenuList, 1031, "List")                                                                         \
  X(MenuDetails, 1032, "Details")                                                                   \
  X(SelectFirst, 1040, "Please first select the program you want to uninstall")                     \
  X(ProgramNotFound, 1041, "The program you are looking for (%s) was not found")                    \
  X(UnableToModify, 1042, "Unable to modify the entry.")                                            \
  X(MainWindowNotCreated, 1043, "The main window could not be created.")
// Dialog frame and texts every dialog shares: 1100 to 1199.
#define TIDEWELL_STRINGS_FRAME(X)                                                                   \
  X(CloseImage, 1100, "Close")                                                                      \
  X(ButtonOk, 1101, "OK")                                                                           \
  X(ButtonCancel, 1102, "CANCEL")                                                                   \
  X(ButtonClose, 1103, "CLOSE")                                                                     \
  X(UnexpectedError, 1104, "Unexpected error.")
// Uninstall dialog: 1200 to 1299.
#define TIDEWELL_STRINGS_UNINSTALL(X)                                                               \
  X(UninstallTitle, 1200, "Uninstall")                                                              \
  X(UninstallAbout, 1201,                                                                           \
    "You are about to uninstall or modify the installed components of the following "               \
    "program:")                                                                                     \
  X(UninstallRunPrompt, 1202, "Click this button to run the vendor's Uninstall program:")           \
  X(UninstallStartButton, 1203, "UNINSTALL")                                                        \
  X(UninstallRunning, 1204, "Tidewell is now running the vendor's Uninstall program.")              \
  X(UninstallWhenDone, 1205, "When the Uninstall program completes, press the Continue button.")    \
  X(UninstallContinueButton, 1206, "CONTINUE")                                                      \
  X(UninstallEntryLeft, 1207,                                                                       \
    "The Uninstall program has completed. However, it did not remove the program name from "        \
    "the list of programs installed on your computer.")                                             \
  X(UninstallCleanupPrompt, 1208, "Click this button to delete the program from the list:")         \
  X(UninstallCleanupButton, 1209, "CLEAN-UP")                                                       \
  X(UninstallEntryGone, 1210,                                                                       \
    "The Uninstall program has completed and the program name was removed from the list of "        \
    "programs installed on your computer.")
// Delete From List: 1300 to 1399.
#define TIDEWELL_STRINGS_DELETE(X)                                                                  \
  X(DeleteTitle, 1300, "Delete From List")                                                          \
  X(DeleteTryButton, 1301, "TRY TO UNINSTALL")                                                      \
  X(DeleteButton, 1302, "DELETE")                                                                   \
  X(UnableToDeleteKey, 1303, "Unable to delete key")
// Uninstall log viewer: 1400 to 1499.
#define TIDEWELL_STRINGS_LOG_VIEWER(X)                                                              \
  X(LogViewerTitle, 1400, "Uninstall Log")                                                          \
  X(LogViewerClearButton, 1401, "CLEAR LOG")                                                        \
  X(LogViewerEditButton, 1402, "EDIT LOG ...")                                                      \
  X(LogViewerPrintButton, 1403, "PRINT ...")                                                        \
  X(LogViewerClearQuestion, 1404,                                                                   \
    "Are you sure you want to clear the contents of the uninstall log?\r\n\r\nWARNING: All "        \
    "information about the programs you have uninstalled from your computer will be lost.")         \
  X(LogViewerConfirmCaption, 1405, "Confirm")                                                       \
  X(LogViewerCannotOpen, 1406, "Cannot open file \"%s\". %s")                                       \
  X(LogViewerCannotRead, 1407, "Cannot read file \"%s\". %s")                                       \
  X(LogViewerLeftOut, 1408, "[The first %s of the log are not shown here. EDIT LOG opens all of it.]")
// Program Details: 1500 to 1599.
#define TIDEWELL_STRINGS_DETAILS(X)                                                                 \
  X(DetailsTitle, 1500, "Program Details")                                                          \
  X(DetailProgramName, 1501, "Program Name:")                                                       \
  X(DetailSize, 1502, "Size:")                                                                      \
  X(DetailSizeHint, 1503,                                                                           \
    "This is the estimated amount of disk space this program (including folders and "               \
    "subfolders) occupies.")                                                                        \
  X(DetailEstimatedSize, 1504, "Estimated Size:")                                                   \
  X(DetailUsed, 1505, "Used:")                                                                      \
  X(DetailLastUsed, 1506, "Last Used:")                                                             \
  X(DetailInstallDate, 1507, "Install Date:")                                                       \
  X(DetailPublisher, 1508, "Publisher:")                                                            \
  X(DetailVersion, 1509, "Version:")                                                                \
  X(DetailContact, 1510, "Contact:")                                                                \
  X(DetailContactPhone, 1511, "Contact Phone:")                                                     \
  X(DetailAbout, 1512, "About:")                                                                    \
  X(DetailSupport, 1513, "Support Information:")                                                    \
  X(DetailReadme, 1514, "Readme:")                                                                  \
  X(DetailUpdates, 1515, "Product Updates:")                                                        \
  X(DetailComments, 1516, "Comments:")                                                              \
  X(DetailUninstallCommand, 1517, "Uninstall Command:")                                             \
  X(DetailModifyCommand, 1518, "Modify Command:")                                                   \
  X(DetailDisplayIcon, 1519, "Display Icon:")                                                       \
  X(DetailLanguage, 1520, "Language:")                                                              \
  X(DetailSource, 1521, "Source:")                                                                  \
  X(DetailLocation, 1522, "Location:")                                                              \
  X(DetailInstallProgram, 1523, "Install Program:")                                                 \
  X(DetailWindowsInstaller, 1524, "Windows Installer")                                              \
  X(DetailProductId, 1525, "Product ID:")                                                           \
  X(DetailOwner, 1526, "Owner:")                                                                    \
  X(DetailOwnerCompany, 1527, "Owner company:")                                                     \
  X(NotAnInteger, 1528, "'%s' is not a valid integer value")
// Edit Program Details: 1600 to 1699.
#define TIDEWELL_STRINGS_EDIT(X)                                                                    \
  X(EditTitle, 1600, "Edit Program Details")                                                        \
  X(EditKeyLabel, 1601, "The program uninstall information is stored under:")                       \
  X(EditValuesLabel, 1602, "Uninstall information:")                                                \
  X(EditGridName, 1603, "Uninstall information")                                                    \
  X(EditNameHeader, 1604, "Registry Key")                                                           \
  X(EditValueHeader, 1605, "Registry Value")                                                        \
  X(EditCannotDisplay, 1606, "(cannot display information)")                                        \
  X(EditDefaultValue, 1607, "(Default)")                                                            \
  X(EditAddKeyButton, 1608, "Add Key")                                                              \
  X(EditDeleteKeyButton, 1609, "Delete Key")
// New Program and dropped shortcuts: 1700 to 1799.
#define TIDEWELL_STRINGS_NEW(X)                                                                     \
  X(NewTitle, 1700, "New Program")                                                                  \
  X(NewEntryLabel, 1701, "&Registry Entry Name:")                                                   \
  X(NewNameLabel, 1702, "Program &Name (how it appears in the list):")                              \
  X(NewCommandLabel, 1703, "Uninstall &Command:")
// Audit report: 1800 to 1899.
#define TIDEWELL_STRINGS_AUDIT(X)                                                                   \
  X(AuditTitle, 1800, "Print or Save Audit Report")                                                 \
  X(AuditHeaderLabel, 1801, "Raport Header (add, change or remove text):")                          \
  X(AuditShortFormat, 1802, "Short Format (program names only)")                                    \
  X(AuditLongFormat, 1803, "Long Format (program name, uninstall command and program status)")      \
  X(AuditPrintButton, 1804, "PRINT ...")                                                            \
  X(AuditSaveButton, 1805, "SAVE ...")                                                              \
  X(AuditSaveTitle, 1806, "Save Report As")                                                         \
  X(AuditSaveFilter, 1807, "Text Files (.TXT)|*.TXT")                                               \
  X(AuditDocumentTitle, 1808, "Software Audit Report")
// About box: 1900 to 1999.
#define TIDEWELL_STRINGS_ABOUT(X)                                                                   \
  X(AboutTitle, 1900, "About")                                                                      \
  X(AboutSystems, 1901, "for Windows XP/2000/NT/Me/98/95")                                          \
  X(AboutVersion, 1902, "Version %s")                                                               \
  X(AboutLicenseLink, 1903, "View License Agreement")                                               \
  X(AboutMoreInfo, 1904, "For more information please visit")
// Messages of the catalogue, the files and the platform: 2000 to 2099.
#define TIDEWELL_STRINGS_CORE(X)                                                                    \
  /* Registry stores and key trees. */                                                              \
  X(InvalidDataType, 2000, "Invalid data type for '%s'")                                            \
  X(FailedToSetData, 2001, "Failed to set data for '%s'")                                           \
  X(NoKeyBelowRoot, 2002, "'%s' names no key below a root key.")                                    \
  X(UnableToReadKey, 2003, "Unable to read the key '%s'.")                                          \
  X(UnableToReadValue, 2004, "Unable to read the value '%s' of the key '%s'.")                      \
  X(RestoreRemovesKey, 2005, "this line removes a key; a restore only writes keys back")            \
  X(RestoreKeyOutside, 2006, "the key '%s' lies outside '%s'")                                      \
  X(RestoreSymbolicLink, 2007, "this key is a symbolic link, which cannot be restored here")        \
  X(RestoreRemovesValue, 2008, "this line removes a value; a restore only writes values back")      \
  X(RestoreValueTooBig, 2009, "the value holds %s bytes, more than the %s a restore writes")        \
  X(KeyAlreadyExists, 2010, "The key '%s' already exists.")                                         \
  X(UnableToRemoveKey, 2011, "Unable to remove the key '%s'.")                                      \
  X(UnableToCreateLinkKey, 2012, "Unable to create the link key '%s'.")                             \
  X(UnableToCreateKey, 2013, "Unable to create the key '%s'.")                                      \
  /* Backups of uninstall entries. */                                                               \
  X(BackupHoldsNoKey, 2014, "The file holds no key to restore.")                                    \
  X(BackupIsCatalogue, 2015, "this is an uninstall catalogue itself, not one of its entries")       \
  X(BackupBelowEntry, 2016,                                                                         \
    "this key lies below a catalogue entry; a restore starts at the entry's own key")               \
  X(BackupNotAnEntry, 2017, "the key '%s' is not an entry of an uninstall catalogue")               \
  X(BackupDoesNotReadBack, 2018, "The backup of '%s' does not read back as it was saved.")          \
  /* .reg files: the line a message is about, then what the writer and the reader refuse. */        \
  X(RegFileLine, 2020, "Line %s: %s")                                                               \
  X(RegFileNulInValueName, 2021, "A value name in the key '%s' holds a NUL character.")             \
  X(RegFileKeyCannotBeSaved, 2022, "The key '%s' cannot be saved: %s.")                             \
  X(RegFileNoRootKey, 2023, "the key path does not start with the name of a root key (HKEY_...)")   \
  X(RegFileEmptyKeyName, 2024, "the key path holds an empty key name")                              \
  X(RegFileBreakInKeyName, 2025,                                                                    \
    "a key name holds a line break or a NUL character, which a .reg file cannot hold")              \
  X(RegFileLinkKeyShape, 2026,                                                                      \
    "a link key must hold exactly one value, its SymbolicLinkValue of type REG_LINK")               \
  X(RegFileRemovedKeyValues, 2027, "a key being removed holds no values")                           \
  X(RegFileNotRegistryFile, 2028,                                                                   \
    "this is not a registry file: the first line is neither \"%s\" nor \"%s\"")                     \
  X(RegFileCutCharacter, 2029, "the file ends in the middle of a character")                        \
  X(RegFileLineNotUtf8, 2030, "this line is not valid UTF-8")                                       \
  X(RegFileAnsiCharacter, 2031,                                                                     \
    "this line holds a character of the ANSI code page, which cannot be read here")                 \
  X(RegFileCutLine, 2032, "the file ends in the middle of this line")                               \
  X(RegFileNulInLine, 2033, "this line holds a NUL character")                                      \
  X(RegFileNeitherKeyNorValue, 2034, "this line is neither a key nor a value")                      \
  X(RegFileKeyNameMissing, 2035, "the key name is missing after [")                                 \
  X(RegFileKeyNameUnclosed, 2036, "the key name has no closing ]")                                  \
  X(RegFileValueBeforeKey, 2037, "a value comes before the first key")                              \
  X(RegFileValueOfRemovedKey, 2038, "a value follows a line that removes its key")                  \
  X(RegFileEqualsMissing, 2039, "an = must follow the value name")                                  \
  X(RegFileUnknownType, 2040,                                                                       \
    "the value's type is unknown: its data must be a quoted string, dword:, hex: or hex(type):")    \
  X(RegFileHexTypeUnclosed, 2041, "the value's type is unknown: hex(type) must end in ):")          \
  X(RegFileBadDwordDigit, 2042, "bad hex digit in the dword")                                       \
  X(RegFileBadHexDigit, 2043, "bad hex digit in the value's data")                                  \
  X(RegFileCommaMissing, 2044, "a comma must separate the hex bytes")                               \
  X(RegFileLongHexByte, 2045, "a hex byte has more than two digits")                                \
  X(RegFileContinuationMissing, 2046, "the file ends before the value this line continues")         \
  X(RegFileTextNotUtf8, 2047, "the value's text is not valid UTF-8")                                \
  X(RegFileTextAfterKeyName, 2048, "there is text after the key name")                              \
  X(RegFileTextAfterString, 2049, "there is text after the string")                                 \
  X(RegFileTextAfterRemoval, 2050, "there is text after the - that removes the value")              \
  X(RegFileTextAfterDword, 2051, "there is text after the dword")                                   \
  X(RegFileTextAfterBackslash, 2052, "there is text after the backslash that continues the value")  \
  X(RegFileNameUnknownEscape, 2053, "the value name holds an unknown escape \\%s")                  \
  X(RegFileNameUnclosed, 2054, "the value name has no closing quote")                               \
  X(RegFileStringUnknownEscape, 2055, "the string holds an unknown escape \\%s")                    \
  X(RegFileStringUnclosed, 2056, "the string has no closing quote")                                 \
  X(RegFileDwordTooLong, 2057, "a dword has more than eight hex digits")                            \
  X(RegFileDwordMissing, 2058, "a dword needs a hex number")                                        \
  X(RegFileHexTypeTooLong, 2059, "the type in hex(type) has more than eight hex digits")            \
  X(RegFileHexTypeMissing, 2060, "the type in hex(type) needs a hex number")                        \
  /* Printing and the system's errors. */                                                           \
  X(PrintJobClosed, 2062, "The print job is closed.")                                               \
  X(PrintCannotMeasure, 2063, "The printer could not measure the text.")                            \
  X(PrintingFailed, 2064, "Printing failed: %s")                                                    \
  X(NoPrinter, 2065, "There is no printer to print on (error %s).")                                 \
  X(NoDefaultPrinter, 2066, "There is no default printer.")                                         \
  X(SystemError, 2067, "System error %s.")                                                          \
  /* Sizes and dates. */                                                                            \
  X(SizeGigabytes, 2068, "%s GB")                                                                   \
  X(SizeMegabytes, 2069, "%s MB")                                                                   \
  X(SizeKilobytes, 2070, "%s KB")                                                                   \
  X(SizeBytes, 2071, "%s bytes")                                                                    \
  X(UnknownDate, 2072, "(unknown)")                                                                 \
  /* The uninstall log. */                                                                          \
  X(LogTitle, 2073, "Tidewell Uninstall Log")                                                       \
  X(LogDescription, 2074,                                                                           \
    "Contains information about programs you have uninstalled from your computer")                  \
  X(LogUninstalling, 2075, "Uninstalling %s")                                                       \
  X(LogStartFailed, 2076, "Running uninstall command failed.")                                      \
  X(LogUninstallOk, 2077, "Uninstall OK. Uninstaller removed program from list.")                   \
  X(LogUninstallIncomplete, 2078,                                                                   \
    "Uninstaller did not complete the uninstall process or did not remove program from list.")      \
  X(LogRemovedFromList, 2079, "Removed from list by %s.")                                           \
  X(LogDeleting, 2080, "Deleting entry %s")                                                         \
  X(LogDeleted, 2081, "Deleted OK.")                                                                \
  X(LogNotDeleted, 2082, "NOT Deleted - error encountered while deleting from registry.")           \
  X(LogNotWritten, 2083,                                                                            \
    "The uninstall log \"%s\" could not be written, so this operation is not fully "                \
    "recorded in it.")                                                                              \
  /* The audit report's file and entries. */                                                        \
  X(CannotCreateFile, 2084, "Cannot create file \"%s\".")                                           \
  X(CannotCreateFileBecause, 2085, "Cannot create file \"%s\". %s")                                 \
  X(CannotWriteFile, 2086,                                                                          \
    "Cannot write to file \"%s\". An input/output error occurred while writing.")                   \
  X(FileNameEmpty, 2087, "The file name is empty.")                                                 \
  X(ReportUninstallCommand, 2088, "Uninstall Command: %s")                                          \
  /* The catalogue's rows. */                                                                       \
  X(NoName, 2089, "<no name>")                                                                      \
  X(UsedRarely, 2090, "rarely")                                                                     \
  X(UsedOccasionally, 2091, "occasionally")                                                         \
  X(UsedFrequently, 2092, "frequently")                                                             \
  X(UsageSizeFormat, 2093, "%10.1n MB")

// Backups of changed entries and their restore: 2200 to 2299.
#define TIDEWELL_STRINGS_BACKUP(X)                                                                  \
  /* Saving an entry before a change. */                                                            \
  X(BackupFolderBelowAppData, 2200, "Quenmark\\Tidewell\\Backups")                                  \
  X(BackupNotWritten, 2201,                                                                         \
    "The entry \"%s\" was not changed, because its backup could not be written to \"%s\": %s")      \
  X(BackupFolderNotMade, 2202, "the folder for backups cannot be made (%s)")                        \
  X(BackupIncomplete, 2203, "the file could not be written completely (the disk may be full)")      \
  X(BackupNotFlushed, 2204, "the file could not be saved to the disk")                              \
  X(BackupNoFolder, 2205,                                                                           \
    "there is no folder for backups (the local application data folder is unknown)")               \
  X(BackupRetryHint, 2206,                                                                          \
    "Choose Retry once the folder can take the file (free some disk space, or make the folder "     \
    "writable), or Cancel to leave the entry as it is.")                                            \
  X(QuietRemovalSkipped, 2207,                                                                      \
    "These programs were not removed, because their entries could not be saved first:")             \
  /* Reading and restoring a backup. */                                                             \
  X(BackupUnreadable, 2210, "the file cannot be read")                                              \
  X(RestoreCannotRead, 2211, "The backup \"%s\" cannot be restored: %s")                            \
  X(RestoreFailed, 2212, "The entry \"%s\" could not be restored from \"%s\": %s")                  \
  X(RestoreReplaceQuestion, 2213,                                                                   \
    "There is already an entry \"%s\". Do you want to replace it with the backup?\r\n\r\nThe "     \
    "entry as it is now is saved as a backup first.")                                               \
  /* What was done to an entry after it was saved. */                                               \
  X(ReasonDeleted, 2220, "Deleted")                                                                 \
  X(ReasonCleanedUp, 2221, "Cleaned up after uninstall")                                            \
  X(ReasonQuietRemoval, 2222, "Removed by /QU")                                                     \
  X(ReasonBeforeEdit, 2223, "Before edit")                                                          \
  X(ReasonBeforeOverwrite, 2224, "Before overwrite")                                                \
  X(ReasonBeforeRestore, 2225, "Before restore")                                                    \
  X(ReasonUnknown, 2226, "(not recorded)")                                                          \
  /* The dialog. */                                                                                 \
  X(MenuRestore, 2230, "Restore Deleted Entries...")                                                \
  X(RestoreTitle, 2231, "Restore Deleted Entries")                                                  \
  X(RestoreIntro, 2232,                                                                             \
    "Tidewell saves an entry here before it deletes or changes it. Select a backup and click "      \
    "RESTORE to write the entry back exactly as it was saved.")                                     \
  X(RestoreNoBackups, 2233,                                                                         \
    "There are no backups yet. Tidewell saves an entry here before it deletes or changes it.")      \
  X(RestoreColumnProgram, 2234, "Program")                                                          \
  X(RestoreColumnSaved, 2235, "Saved On")                                                           \
  X(RestoreColumnReason, 2236, "What Was Done")                                                     \
  X(RestoreButton, 2237, "RESTORE")                                                                 \
  X(RestoreOpenFolder, 2238, "Open Backup Folder")                                                  \
  X(RestoreSelectFirst, 2239, "Please first select the backup you want to restore.")               \
  X(RestoreCannotBeRestored, 2240, "(cannot be restored)")                                          \
  X(RestoreListName, 2241, "Backups")
// The list's columns and filters of today's catalogues: 2300 to 2399.
#define TIDEWELL_STRINGS_COLUMNS(X)                                                                 \
  X(ColumnPublisher, 2300, "Publisher")                                                             \
  X(ColumnVersion, 2301, "Version")                                                                 \
  X(ColumnInstalledOn, 2302, "Installed On")                                                        \
  X(MenuShowSystemComponents, 2303, "Show System Components and Updates")                           \
  /* The window setting that keeps the choice: 1 shows them, 0 hides them. */                      \
  X(ShowSystemComponents, 2304, "ShowSystemComponents")
// Quiet removal, value kinds and the inventory reports: 2400 to 2499.
#define TIDEWELL_STRINGS_INVENTORY(X)                                                               \
  X(DetailQuietUninstallCommand, 2400, "Quiet Uninstall Command:")                                  \
  X(QwordNotANumber, 2401,                                                                          \
    "The value \"%s\" holds a 64-bit number, and \"%s\" is not one. Type a whole number from "      \
    "-9223372036854775808 to 18446744073709551615. Nothing has been written.")                      \
  X(InventoryCsvFilter, 2402, "CSV Files (.CSV)|*.CSV")                                             \
  X(InventoryJsonFilter, 2403, "JSON Files (.JSON)|*.JSON")                                         \
  X(InventoryFileNameMissing, 2404, "The switch %s needs the name of the file to write the inventory to.") \
  X(InventoryCsvHeader, 2405,                                                                       \
    "Name,Publisher,Version,Install Date,Size (bytes),Last Used,Frequency,Uninstall Command,"       \
    "Quiet Uninstall Command,Uninstaller Missing,System Component,Catalogue,Key Path")

#define TIDEWELL_ALL_STRINGS(X) \
  TIDEWELL_STRING_TABLE(X)      \
  TIDEWELL_STRINGS_MAIN(X)      \
  TIDEWELL_STRINGS_FRAME(X)     \
  TIDEWELL_STRINGS_UNINSTALL(X) \
  TIDEWELL_STRINGS_DELETE(X)    \
  TIDEWELL_STRINGS_LOG_VIEWER(X) \
  TIDEWELL_STRINGS_DETAILS(X)   \
  TIDEWELL_STRINGS_EDIT(X)      \
  TIDEWELL_STRINGS_NEW(X)       \
  TIDEWELL_STRINGS_AUDIT(X)     \
  TIDEWELL_STRINGS_ABOUT(X)     \
  TIDEWELL_STRINGS_CORE(X)      \
  TIDEWELL_STRINGS_BACKUP(X)    \
  TIDEWELL_STRINGS_COLUMNS(X)   \
  TIDEWELL_STRINGS_INVENTORY(X)

/// The ids of the string table.
enum class StrId : int {
#define TIDEWELL_STRING_ID(id, number, text) id = number,
  TIDEWELL_ALL_STRINGS(TIDEWELL_STRING_ID)
#undef TIDEWELL_STRING_ID
};

/// The text of a string-table entry.
constexpr std::string_view StrText(StrId id) {
  switch (id) {
#define TIDEWELL_STRING_CASE(id, number, text) \
  case StrId::id:                              \
    return text;
    TIDEWELL_ALL_STRINGS(TIDEWELL_STRING_CASE)
#undef TIDEWELL_STRING_CASE
  }
  return {};
}

/// The text of a string-table entry, as the program loads it when it uses it.
inline std::string LoadStr(StrId id) { return std::string(StrText(id)); }

/// The application title, the caption of the program's message boxes.
inline constexpr const char* kAppTitle = "Tidewell";

}  // namespace tw
