#pragma once
// Test doubles of the platform interfaces: an in-memory file system with wildcard searches,
// a fixed locale (English, United States), a time zone at a fixed offset, a fixed clock and
// the Windows-1252 code page.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "util/MemoryRegistryStore.h"
#include "util/Platform.h"

namespace tw::test {

class MemoryFileSystem : public FileSystem {
 public:
  struct Entry {
    bool folder = false;
    bool readOnly = false;
    std::string bytes;
    std::string shortName;
    /// How many of the bytes were last flushed to the disk.
    std::size_t flushed = 0;
  };

  /// Adds a folder (and the folders above it).
  void AddFolder(const std::string& path, bool readOnly = false);
  /// Adds a file (and the folders above it).
  void AddFile(const std::string& path, const std::string& bytes = {}, bool readOnly = false,
               const std::string& shortName = {});
  bool Exists(const std::string& path) const;
  /// The file's bytes; "" when absent.
  std::string Contents(const std::string& path) const;
  Entry* Find(const std::string& path);

  std::optional<FindData> FindFirst(const std::string& pattern) override;
  std::unique_ptr<OutputFile> OpenAppend(const std::string& path) override;
  std::unique_ptr<OutputFile> Create(const std::string& path, std::string& error) override;
  std::unique_ptr<OutputFile> CreateNew(const std::string& path, bool& exists, std::string& error) override;
  std::unique_ptr<InputFile> OpenRead(const std::string& path, std::string& error) override;
  bool ReadAll(const std::string& path, std::string& bytes, std::string& error) override;
  bool Replace(const std::string& from, const std::string& to, std::string& error) override;
  bool MoveToNewName(const std::string& from, const std::string& to, bool& exists, std::string& error) override;
  bool CreateFolder(const std::string& path, std::string& error) override;
  std::vector<FindData> FindAll(const std::string& pattern) override;
  bool Remove(const std::string& path) override;
  /// Every path held, folders too, in name order.
  std::vector<std::string> Paths() const;

  int searches = 0;
  /// Every path searched for, as it was asked.
  std::vector<std::string> asked;
  /// Makes every write to a file fail once this many bytes were written in total.
  std::int64_t failWritesAfter = -1;
  /// Makes flushing a file fail.
  bool failFlush = false;
  std::int64_t bytesWritten = 0;
  /// Makes this many calls of CreateNew find their name taken, as if another program had
  /// just made a file of that name.
  int takenNames = 0;
  /// Bytes handed out by reads so far, by every way of reading.
  std::uint64_t bytesRead = 0;
  /// The largest single read of an opened file.
  std::size_t largestRead = 0;

 private:
  void MoveEntry(const std::string& from, const std::string& to);
  struct Less {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::map<std::string, Entry, Less> entries_;
};

/// Matches a name against a pattern of * and ?, without regard to ASCII case.
bool WildcardMatch(const std::string& pattern, const std::string& name);

class FixedLocale : public Locale {
 public:
  std::string thousands = ",";
  std::string decimal = ".";
  std::string FormatNumber(double value, int decimals) override;
  /// "M/d/yyyy"
  std::string ShortDate(const DateTime& date) override;
  /// "h:mm:ss AM"
  std::string LongTime(const DateTime& time) override;
  /// Byte order of the UTF-8 texts.
  int Compare(const std::string& a, const std::string& b) override;
  std::string SortKey(const std::string& text) override { return text; }
};

class FixedOffsetTimeZone : public TimeZone {
 public:
  explicit FixedOffsetTimeZone(int minutesEastOfUtc = 0) : offset_(minutesEastOfUtc) {}
  bool ToLocalFileTime(std::uint64_t utc, std::uint64_t& local) override;
  bool ToDosDateTime(std::uint64_t fileTime, std::uint16_t& dosDate,
                     std::uint16_t& dosTime) override;

 private:
  int offset_;
};

class FixedClock : public Clock {
 public:
  DateTime now{2026, 12, 8, 14, 5, 9, 0};
  DateTime Now() override { return now; }
};

class Cp1252Codec : public AnsiCodec {
 public:
  std::string ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const std::string& ansi) override;
};

/// The Installer's products as a set of codes; records every code asked for. With
/// `listed`, it offers a listing: a copy of it that records the codes asked of it there.
class FakeInstallerProducts : public InstallerProducts {
 public:
  bool IsKnown(const std::string& productCode) override {
    asked.push_back(productCode);
    return known.count(productCode) != 0;
  }
  std::unique_ptr<InstallerProducts> Listing() override {
    if (!listed) return nullptr;
    struct Listed : InstallerProducts {
      Listed(const std::set<std::string>& known, std::vector<std::string>& asked) : known(known), asked(asked) {}
      bool IsKnown(const std::string& productCode) override {
        asked.push_back(productCode);
        return known.count(productCode) != 0;
      }
      std::set<std::string> known;
      std::vector<std::string>& asked;
    };
    return std::make_unique<Listed>(known, askedOfListing);
  }
  std::set<std::string> known;
  std::vector<std::string> asked;
  bool listed = false;
  std::vector<std::string> askedOfListing;
};

/// A whole fake platform: a memory registry and file system and the fixed locale, zone,
/// clock and code page.
struct FakePlatform {
  MemoryRegistry registry;
  MemoryFileSystem files;
  FixedLocale locale;
  FixedOffsetTimeZone timeZone;
  FixedClock clock;
  Cp1252Codec ansi;
  Platform platform{registry, files, locale, timeZone, clock, ansi};
};

/// A text with the random part of a report's temporary file name (eight hexadecimal digits
/// before ".tidewell-tmp") shown as "XXXXXXXX".
std::string MaskTemporaryName(std::string text);

/// File time of a UTC date and time.
std::uint64_t FileTimeOf(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0);

}  // namespace tw::test
