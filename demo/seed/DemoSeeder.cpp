#include "DemoSeeder.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <stdexcept>

#include "RealisticCatalogue.h"
#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw::demo {
namespace {

std::wstring Wide(const std::string& utf8) {
  std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Narrow(const std::wstring& wide) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

HKEY RootHandle(RootKeyHandle root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

[[noreturn]] void Fail(const std::string& what, LONG code) {
  throw std::runtime_error(what + " (error " + std::to_string(code) + ")");
}

class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* put() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Keys are always addressed in the 64-bit view: a path through WOW6432Node names the 32-bit
// catalogue explicitly.
void CreateKey(RootKeyHandle root, const std::string& path, Key& key) {
  LONG rc = RegCreateKeyExW(RootHandle(root), Wide(path).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.put(), nullptr);
  if (rc != ERROR_SUCCESS) Fail("cannot create " + MakeFullKeyPath(root, path), rc);
}

void SetValue(HKEY key, const std::string& name, const RegValue& value) {
  LONG rc = RegSetValueExW(key, Wide(name).c_str(), 0, value.type,
                           value.data.empty() ? nullptr : value.data.data(),
                           static_cast<DWORD>(value.data.size()));
  if (rc != ERROR_SUCCESS) Fail("cannot set value " + name, rc);
}

void SetText(HKEY key, const std::string& name, const std::string& text) {
  SetValue(key, name, RegValue::Text(text));
}

void SetNumber(HKEY key, const std::string& name, std::uint32_t number) {
  SetValue(key, name, RegValue::Number(number));
}

void DeleteTree(RootKeyHandle root, const std::string& path) {
  LONG rc = RegDeleteTreeW(RootHandle(root), Wide(path).c_str());
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
    Fail("cannot remove " + MakeFullKeyPath(root, path), rc);
}

void WriteUsage(const std::string& subKeyName, const DemoUsage& usage) {
  Key key;
  CreateKey(RootKey::LocalMachine, UsageKeyOf(subKeyName), key);
  RegValue record;
  record.type = RegType::Binary;
  record.data = EncodeUsageRecord(usage);
  SetValue(key.get(), "SlowInfoCache", record);
}

void MakeFolders(const std::wstring& folder) {
  // SHCreateDirectoryExW makes every missing folder on the way.
  int rc = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_FILE_EXISTS)
    Fail("cannot create folder " + Narrow(folder), rc);
}

std::wstring ParentOf(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Writes a file into a folder that exists.
void WriteFileBytes(const std::wstring& path, const void* bytes, std::size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("cannot write " + Narrow(path), GetLastError());
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
  DWORD error = GetLastError();
  CloseHandle(file);
  if (!ok || written != size) Fail("cannot write " + Narrow(path), error);
}

// Copies a file into a folder that exists.
void CopyUninstaller(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
    Fail("cannot copy " + Narrow(from) + " to " + Narrow(to), GetLastError());
}

// Makes a second name for a file, in a folder that exists: as real as a copy, without the
// copy's room on disk.
void LinkFile(const std::wstring& existing, const std::wstring& link) {
  if (!CreateHardLinkW(link.c_str(), existing.c_str(), nullptr))
    Fail("cannot link " + Narrow(link) + " to " + Narrow(existing), GetLastError());
}

// Creates folders, each once however many files go into it, parents first (without the
// shell's notifications of each new folder).
class FolderMaker {
 public:
  void Make(const std::wstring& folder) {
    // A drive ("C:") is there already.
    if (folder.size() <= 2 || !made_.insert(folder).second) return;
    Make(ParentOf(folder));
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      Fail("cannot create folder " + Narrow(folder), GetLastError());
  }

 private:
  std::set<std::wstring> made_;
};

// Removes a folder with everything in it; a folder that is not there is no error.
void RemoveFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring path = folder + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveFolderTree(path);
    } else {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileW(path.c_str())) {
        DWORD error = GetLastError();
        FindClose(find);
        Fail("cannot delete " + Narrow(path), error);
      }
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  if (!RemoveDirectoryW(folder.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    Fail("cannot remove folder " + Narrow(folder), GetLastError());
}

std::uint32_t HashOf(const std::string& text) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hash;
}

std::string KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  HRESULT hr = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  if (FAILED(hr)) Fail("cannot find a system folder", hr);
  return Narrow(path);
}

constexpr const char* kSyntheticRoot = "SOFTWARE\\Tidewell Synthetic";

}  // namespace

std::map<std::string, std::string> DemoVariables() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::string programs = KnownFolder(CSIDL_PROGRAM_FILES);
  const std::string programs32 = KnownFolder(CSIDL_PROGRAM_FILESX86);
  return {
      {"demo", programs + "\\Tidewell Demo"},
      {"demo32", programs32 + "\\Tidewell Demo"},
      {"programs", programs},
      {"programs32", programs32},
      {"userapps", KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs"},
      {"system", Narrow(system)},
  };
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return ParentOf(std::wstring(path, n));
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("cannot read " + Narrow(path), GetLastError());
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

void RemoveCatalogue(const DemoCatalogue& catalogue) {
  for (const DemoEntry& entry : catalogue.entries) {
    DeleteTree(entry.root, entry.catalogueKey + "\\" + entry.name);
    if (entry.usage) DeleteTree(RootKey::LocalMachine, UsageKeyOf(entry.name));
  }
  for (const DemoFile& file : catalogue.files)
    if (file.kind != FileKind::Folder) DeleteFileW(Wide(file.path).c_str());
  for (const std::string& root : catalogue.roots) RemoveFolderTree(Wide(root));
}

namespace {

void WriteEntries(const DemoCatalogue& catalogue) {
  for (const DemoEntry& entry : catalogue.entries) {
    Key key;
    CreateKey(entry.root, entry.catalogueKey + "\\" + entry.name, key);
    for (const DemoValue& value : entry.values) SetValue(key.get(), value.name, value.value);
    if (entry.usage) WriteUsage(entry.name, *entry.usage);
  }
}

// Writes the catalogue's files. With `linkUninstallers` only the first uninstaller is a copy
// and every other one a link to it.
void WriteFiles(const DemoCatalogue& catalogue, const std::wstring& uninstallerExe, bool linkUninstallers) {
  FolderMaker folders;
  std::wstring firstUninstaller;
  for (const DemoFile& file : catalogue.files) {
    const std::wstring path = Wide(file.path);
    if (file.kind == FileKind::Folder) {
      folders.Make(path);
      continue;
    }
    folders.Make(ParentOf(path));
    switch (file.kind) {
      case FileKind::Uninstaller:
        if (linkUninstallers && !firstUninstaller.empty()) {
          LinkFile(firstUninstaller, path);
        } else {
          CopyUninstaller(uninstallerExe, path);
          firstUninstaller = path;
        }
        break;
      case FileKind::Program:
        LinkFile(Wide(file.source), path);
        break;
      case FileKind::Icon: {
        std::vector<std::uint8_t> icon = DrawIconFile(HashOf(AsciiUpper(file.path)));
        WriteFileBytes(path, icon.data(), icon.size());
        break;
      }
      case FileKind::Text: {
        std::string text = "Written by the Tidewell demo seeder.\r\n";
        WriteFileBytes(path, text.data(), text.size());
        break;
      }
      case FileKind::Folder:
        break;
    }
  }
}

}  // namespace

void SeedCatalogue(const DemoCatalogue& catalogue, const std::wstring& uninstallerExe) {
  RemoveCatalogue(catalogue);
  WriteEntries(catalogue);
  WriteFiles(catalogue, uninstallerExe, false);
}

std::string SyntheticFolder(const std::string& prefix) {
  return KnownFolder(CSIDL_PROGRAM_FILES) + "\\Tidewell Synthetic\\" + prefix;
}

std::string SyntheticCatalogueKey(const std::string& prefix) {
  return std::string(kSyntheticRoot) + "\\" + prefix;
}

std::string SyntheticEntryName(const std::string& prefix, int index) {
  char number[16];
  std::snprintf(number, sizeof number, "%05d", index);
  return prefix + "-" + number;
}

void SeedSynthetic(int count, const std::string& prefix, const std::wstring& uninstallerExe,
                   const std::string& catalogueKeyOrEmpty) {
  RemoveSynthetic(prefix, catalogueKeyOrEmpty);
  const std::string folder = SyntheticFolder(prefix);
  const std::string uninstaller = folder + "\\uninstall.exe";
  MakeFolders(Wide(folder + "\\icons"));
  CopyUninstaller(uninstallerExe, Wide(uninstaller));
  for (int i = 0; i < (count + 9) / 10; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\icons\\icon-%04d.ico", i);
    std::vector<std::uint8_t> icon = DrawIconFile(HashOf(prefix) + static_cast<std::uint32_t>(i));
    WriteFileBytes(Wide(folder + name), icon.data(), icon.size());
  }

  static const char* const kWords[] = {"Amber", "Birch", "Cobalt", "Drift", "Ember", "Fjord",
                                       "Garnet", "Harbor", "Indigo", "Juniper", "Kelp", "Linden"};
  static const char* const kKinds[] = {"Studio", "Toolkit", "Player", "Manager", "Viewer",
                                       "Backup", "Editor", "Runtime"};
  const std::string catalogueKey =
      catalogueKeyOrEmpty.empty() ? SyntheticCatalogueKey(prefix) : catalogueKeyOrEmpty;
  for (int i = 0; i < count; ++i) {
    const std::string name = SyntheticEntryName(prefix, i);
    const std::string fullKey = MakeFullKeyPath(RootKey::LocalMachine, catalogueKey + "\\" + name);
    char iconName[32];
    std::snprintf(iconName, sizeof iconName, "\\icons\\icon-%04d.ico,0", i / 10);
    Key key;
    CreateKey(RootKey::LocalMachine, catalogueKey + "\\" + name, key);
    SetText(key.get(), "DisplayName", std::string(kWords[i % 12]) + " " + kKinds[(i / 12) % 8] +
                                          " " + std::to_string(i));
    SetText(key.get(), "DisplayVersion", std::to_string(1 + i % 9) + "." + std::to_string(i % 31));
    SetText(key.get(), "Publisher", std::string(kWords[(i * 7) % 12]) + " Software");
    SetText(key.get(), "UninstallString", "\"" + uninstaller + "\" /key \"" + fullKey + "\"");
    SetText(key.get(), "DisplayIcon", folder + iconName);
    SetText(key.get(), "InstallLocation", folder);
    SetText(key.get(), "InstallDate", "2023" + std::string(i % 12 < 9 ? "0" : "") +
                                          std::to_string(1 + i % 12) + "15");
    SetNumber(key.get(), "EstimatedSize", static_cast<std::uint32_t>(100 + i * 37 % 900000));

    DemoUsage usage;
    usage.size = static_cast<std::int64_t>(i) * 1048576 * 3 + 4096;
    usage.lastUse = NoonUtcFileTime(2020 + i % 5, 1 + i % 12, 1 + i % 28);
    usage.count = static_cast<std::uint32_t>(i % 17);
    usage.target = folder + "\\" + name + ".exe";
    WriteUsage(name, usage);
  }
}

namespace {

// The names of a key's sub keys.
std::vector<std::wstring> SubKeyNames(HKEY parent) {
  std::vector<std::wstring> names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(parent, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

// Deletes the sub keys of a key whose names start with "<prefix>-" (without regard to case).
void DeletePrefixedSubKeys(const std::string& keyPath, const std::string& prefix) {
  Key parent;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(keyPath).c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                    parent.put()) != ERROR_SUCCESS) {
    return;
  }
  const std::wstring mine = Wide(AsciiUpper(prefix + "-"));
  for (const std::wstring& name : SubKeyNames(parent.get())) {
    std::wstring upper = name;
    for (wchar_t& c : upper)
      if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    if (upper.compare(0, mine.size(), mine) == 0) RegDeleteTreeW(parent.get(), name.c_str());
  }
}

}  // namespace

void RemoveSynthetic(const std::string& prefix, const std::string& catalogueKey) {
  if (catalogueKey.empty()) {
    DeleteTree(RootKey::LocalMachine, SyntheticCatalogueKey(prefix));
  } else {
    DeletePrefixedSubKeys(catalogueKey, prefix);
  }
  // The usage records stand in the shared usage cache: remove only this catalogue's names.
  const std::string cacheKey = UsageKeyOf("");
  DeletePrefixedSubKeys(cacheKey.substr(0, cacheKey.size() - 1), prefix);
  RemoveFolderTree(Wide(SyntheticFolder(prefix)));
}

void SeedRealistic(int count, const std::string& tag, const std::wstring& uninstallerExe) {
  RemoveRealistic(tag);
  const DemoCatalogue catalogue = RealisticCatalogue(count, tag, DemoVariables());
  WriteEntries(catalogue);
  WriteFiles(catalogue, uninstallerExe, true);
}

void RemoveRealistic(const std::string& tag) {
  const std::wstring tagValue = Wide(kRealisticTagValue);
  const std::wstring wanted = Wide(tag);
  const std::string cacheKey = UsageKeyOf("");
  Key cache;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(cacheKey.substr(0, cacheKey.size() - 1)).c_str(), 0,
                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, cache.put()) != ERROR_SUCCESS) {
    *cache.put() = nullptr;  // a failed open may leave garbage behind: no usage cache then
  }
  for (const char* alias : {"machine", "machine32", "user"}) {
    RootKeyHandle root = 0;
    std::string key;
    CatalogueOfAlias(alias, root, key);
    Key catalogue;
    if (RegOpenKeyExW(RootHandle(root), Wide(key).c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                      catalogue.put()) != ERROR_SUCCESS) {
      continue;
    }
    for (const std::wstring& name : SubKeyNames(catalogue.get())) {
      wchar_t value[256] = {};
      DWORD size = sizeof value - sizeof(wchar_t);
      if (RegGetValueW(catalogue.get(), name.c_str(), tagValue.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
              ERROR_SUCCESS ||
          wanted != value) {
        continue;
      }
      // The usage record goes with its entry: the entries' names are the catalogue's own.
      RegDeleteTreeW(catalogue.get(), name.c_str());
      if (cache.get() != nullptr) RegDeleteTreeW(cache.get(), name.c_str());
    }
  }
  for (const std::string& folder : RealisticCatalogue(0, tag, DemoVariables()).roots) RemoveFolderTree(Wide(folder));
}

std::vector<std::uint8_t> DrawIconFile(std::uint32_t seed) {
  // ICONDIR, two ICONDIRENTRYs, then per image a BITMAPINFOHEADER (height doubled for the
  // mask), the 32-bit colour rows bottom-up and the 1-bit AND mask rows (all zero: the alpha
  // channel decides).
  const int sizes[] = {32, 16};
  std::vector<std::vector<std::uint8_t>> images;
  const std::uint8_t r = 64 + (seed & 0x7f), g = 64 + ((seed >> 8) & 0x7f), b = 64 + ((seed >> 16) & 0x7f);
  const int pattern = static_cast<int>((seed >> 24) % 3);
  for (int size : sizes) {
    std::vector<std::uint8_t> image(40, 0);
    auto put = [&](std::size_t offset, std::uint32_t value, int width) {
      for (int i = 0; i < width; ++i) image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(0, 40, 4);
    put(4, static_cast<std::uint32_t>(size), 4);
    put(8, static_cast<std::uint32_t>(size * 2), 4);
    put(12, 1, 2);
    put(14, 32, 2);
    const int maskStride = ((size + 31) / 32) * 4;
    put(20, static_cast<std::uint32_t>(size * size * 4 + maskStride * size), 4);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        // A rounded tile with a lighter mark: a diagonal, a ring or a bar by the seed.
        int cx = x * 32 / size, cy = y * 32 / size;
        bool inside = cx >= 2 && cx <= 29 && cy >= 2 && cy <= 29 &&
                      !((cx < 5 || cx > 26) && (cy < 5 || cy > 26));
        int dx = cx - 16, dy = cy - 16;
        bool mark = pattern == 0   ? std::abs(cx - cy) < 4
                    : pattern == 1 ? (dx * dx + dy * dy > 49 && dx * dx + dy * dy < 121)
                                   : (cy > 12 && cy < 19 && cx > 6 && cx < 25);
        std::uint8_t shade = mark ? 255 : 0;
        image.push_back(inside ? static_cast<std::uint8_t>(mark ? shade : b) : 0);
        image.push_back(inside ? static_cast<std::uint8_t>(mark ? shade : g) : 0);
        image.push_back(inside ? static_cast<std::uint8_t>(mark ? shade : r) : 0);
        image.push_back(inside ? 255 : 0);
      }
    }
    image.resize(image.size() + static_cast<std::size_t>(maskStride * size), 0);
    images.push_back(std::move(image));
  }
  std::vector<std::uint8_t> file;
  auto append = [&](std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  append(0, 2);
  append(1, 2);  // icon
  append(static_cast<std::uint32_t>(images.size()), 2);
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<std::uint8_t>(sizes[i]));
    file.push_back(static_cast<std::uint8_t>(sizes[i]));
    file.push_back(0);  // no palette
    file.push_back(0);
    append(1, 2);   // planes
    append(32, 2);  // bits per pixel
    append(static_cast<std::uint32_t>(images[i].size()), 4);
    append(offset, 4);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
  return file;
}

}  // namespace tw::demo
