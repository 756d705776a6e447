#pragma once
// The narrow platform interfaces of the portable core. The Win32 implementations live in
// win32/; tests use the doubles in tests/support/.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/RegistryStore.h"

namespace tw {

/// What a directory search reports of one entry.
struct FindData {
  std::string name;       ///< long file name, without folder
  std::string shortName;  ///< 8.3 name; empty when the volume keeps none for this entry
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t creationTime = 0;
  std::uint64_t lastAccessTime = 0;
  std::uint64_t lastWriteTime = 0;
};

inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;

/// A file opened for writing; closed by Close() or when destroyed.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  /// Writes bytes as they are; false when the write failed.
  virtual bool Write(const std::string& bytes) = 0;
  /// Hands what was written so far to the disk itself (not only to the system's cache), so
  /// that it survives a crash; false when that failed.
  virtual bool Flush() = 0;
  /// Closes the file; false when flushing or closing failed.
  virtual bool Close() = 0;
};

/// A file opened for reading; closed when destroyed.
class InputFile {
 public:
  virtual ~InputFile() = default;
  /// The file's size in bytes when it was opened.
  virtual std::uint64_t Size() = 0;
  /// Reads up to `count` bytes from `offset` into `bytes` (fewer only at the end of the
  /// file); false with the system's description of the error.
  virtual bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, std::string& error) = 0;
};

/// Files and directory searches.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  /// Find-first-file semantics: the first entry matching the path, whose last component may
  /// hold the wildcards * and ?; folders match too. The search is closed at once.
  virtual std::optional<FindData> FindFirst(const std::string& pattern) = 0;
  /// Whether FindFirst would find an entry; systems may answer this faster.
  virtual bool Exists(const std::string& pattern) { return FindFirst(pattern).has_value(); }
  /// Opens an existing file for appending at its end; nullptr when that fails.
  virtual std::unique_ptr<OutputFile> OpenAppend(const std::string& path) = 0;
  /// Creates a file, replacing one of that name; nullptr (and a reason) when that fails.
  virtual std::unique_ptr<OutputFile> Create(const std::string& path, std::string& error) = 0;
  /// Creates a file only where nothing of that name exists; nullptr (and a reason) when that
  /// fails, with `exists` set when a file or folder of that name was in the way.
  virtual std::unique_ptr<OutputFile> CreateNew(const std::string& path, bool& exists, std::string& error) = 0;
  /// Opens an existing file for reading; nullptr with the system's description of the error.
  virtual std::unique_ptr<InputFile> OpenRead(const std::string& path, std::string& error) = 0;
  /// Reads a whole file; false with the system's description of the error otherwise.
  virtual bool ReadAll(const std::string& path, std::string& bytes, std::string& error) = 0;
  /// Moves a file over another, replacing it; false with a reason otherwise.
  virtual bool Replace(const std::string& from, const std::string& to, std::string& error) = 0;
  /// Moves a file to a name that nothing has yet; false with a reason otherwise, with
  /// `exists` set when a file or folder of that name was in the way.
  virtual bool MoveToNewName(const std::string& from, const std::string& to, bool& exists, std::string& error) = 0;
  /// Makes a folder and the folders above it that are missing; true when it is a folder
  /// afterwards (also when it was one before), false with a reason otherwise.
  virtual bool CreateFolder(const std::string& path, std::string& error) = 0;
  /// Every entry of a folder whose name matches the last component of the pattern (which
  /// may hold * and ?), "." and ".." left out, in the system's order; none for a folder that
  /// is missing.
  virtual std::vector<FindData> FindAll(const std::string& pattern) = 0;
  /// Deletes a file; false when it could not.
  virtual bool Remove(const std::string& path) = 0;
};

/// Conversion between UTF-8 and the system's ANSI code page, for files kept as ANSI text.
class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  virtual std::string ToAnsi(const std::string& utf8) = 0;
  virtual std::string FromAnsi(const std::string& ansi) = 0;
};

/// A calendar date and time of day.
struct DateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

/// The user's regional settings.
class Locale {
 public:
  virtual ~Locale() = default;
  /// A number with the locale's thousands grouping and decimal separator, rounded to
  /// `decimals` places (as the "%.Nn" format prints it).
  virtual std::string FormatNumber(double value, int decimals) = 0;
  /// A date in the short date format.
  virtual std::string ShortDate(const DateTime& date) = 0;
  /// A time of day in the long time format.
  virtual std::string LongTime(const DateTime& time) = 0;
  /// The locale's case-sensitive comparison: -1, 0 or 1.
  virtual int Compare(const std::string& a, const std::string& b) = 0;
  /// A key whose byte order is the order Compare gives, for sorting many texts.
  virtual std::string SortKey(const std::string& text) = 0;
};

/// Conversion of file times (100-ns intervals since 1601-01-01).
class TimeZone {
 public:
  virtual ~TimeZone() = default;
  /// UTC file time to local file time with the current time-zone rules.
  virtual bool ToLocalFileTime(std::uint64_t utc, std::uint64_t& local) = 0;
  /// A file time to a DOS date and time (2-second steps); false when it has none.
  virtual bool ToDosDateTime(std::uint64_t fileTime, std::uint16_t& dosDate,
                             std::uint16_t& dosTime) = 0;
};

/// The current local date and time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() = 0;
};

/// The products the Windows Installer has registered.
class InstallerProducts {
 public:
  virtual ~InstallerProducts() = default;
  /// Whether the Installer knows the product of this code (a GUID in braces, upper case):
  /// false only when it has never heard of it.
  virtual bool IsKnown(const std::string& productCode) = 0;
  /// The products known now, for many questions in a row (a scan) where one question at a
  /// time is costly: one listing that answers them all. Nothing where the questions are
  /// best asked one by one (the default) or the listing failed.
  virtual std::unique_ptr<InstallerProducts> Listing() { return nullptr; }
};

/// What the portable core needs from the system, handed in by the caller.
struct Platform {
  Registry& registry;
  FileSystem& files;
  Locale& locale;
  TimeZone& timeZone;
  Clock& clock;
  AnsiCodec& ansi;
  /// The Windows Installer's products; without it, commands that run the Installer are
  /// tested as any other command.
  InstallerProducts* installer = nullptr;
};

}  // namespace tw
