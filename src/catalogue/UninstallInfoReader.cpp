#include "catalogue/UninstallInfoReader.h"

#include <set>

#include "catalogue/UninstallCommandChecker.h"
#include "catalogue/ValueNames.h"
#include "util/AppStrings.h"
#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw {

namespace {

constexpr std::size_t kRawTextCapacity = 2048;

}  // namespace

std::vector<std::string> MultiStrings(const RegValue& value) {
  std::vector<std::string> strings;
  const auto& data = value.data;
  std::u16string current;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c != 0) {
      current.push_back(c);
      continue;
    }
    // An empty string ends the list (the list's own closing NUL makes one).
    if (current.empty()) return strings;
    strings.push_back(Utf16ToUtf8(current));
    current.clear();
  }
  if (!current.empty()) strings.push_back(Utf16ToUtf8(current));  // data cut short of its NUL
  return strings;
}

RegValue MultiStringValue(const std::vector<std::string>& strings) {
  RegValue value{RegType::MultiString, {}};
  for (const std::string& text : strings) {
    const std::vector<std::uint8_t> bytes = Utf8ToUtf16LeBytes(text);  // ends with its NUL
    value.data.insert(value.data.end(), bytes.begin(), bytes.end());
  }
  value.data.push_back(0);
  value.data.push_back(0);
  return value;
}

std::string JoinedMultiString(const RegValue& value) {
  std::string joined;
  for (const std::string& text : MultiStrings(value)) {
    if (!joined.empty()) joined += kMultiStringSeparator;
    joined += text;
  }
  return joined;
}

std::optional<std::int64_t> QwordOf(const RegValue& value) {
  if (value.type != RegType::Qword || value.data.size() != 8) return std::nullopt;
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | value.data[static_cast<std::size_t>(i)];
  return static_cast<std::int64_t>(bits);
}

std::string ValueAsText(const std::string& name, const std::optional<RegValue>& value,
                        AnsiCodec& ansi) {
  const ValueKind kind = value ? KindOfType(value->type) : ValueKind::Unknown;
  if (kind != ValueKind::Unknown) {
    if (!value->data.empty() && (kind == ValueKind::Integer || kind == ValueKind::Binary)) {
      throw RegistryError(InvalidDataTypeText(name));
    }
    return TextOfStringValue(name, value);
  }
  if (!value) return {};
  const auto& data = value->data;
  // A multi-string gives its first string, whole; a 64-bit number is a number like a 32-bit
  // one, which is no text.
  if (value->type == RegType::MultiString) return Utf16LeBytesToUtf8(data.data(), data.size());
  if (value->type == RegType::Qword && !data.empty()) throw RegistryError(InvalidDataTypeText(name));
  // A value of another kind is read as raw bytes; its first three characters are dropped.
  if (data.size() > kRawTextCapacity) throw RegistryError(InvalidDataTypeText(name));
  if (value->type == RegType::Link) {
    // A link holds UTF-16 characters: read up to the first NUL character.
    return DropLeadingChars(Utf16LeBytesToUtf8(data.data(), data.size()), 3);
  }
  std::string bytes;
  for (std::uint8_t b : data) {
    if (b == 0) break;
    bytes.push_back(static_cast<char>(b));
  }
  return DropLeadingChars(ansi.FromAnsi(bytes), 3);
}

std::optional<std::string> ValueDisplayText(const std::string& name, const std::optional<RegValue>& value,
                                            AnsiCodec& ansi) {
  if (!value) return std::string();
  switch (value->type) {
    case RegType::Dword:
      if (value->data.size() != 4) return std::nullopt;  // a malformed number shows nothing
      return std::to_string(NumberOf(*value));
    case RegType::Qword:
      if (const auto number = QwordOf(*value)) return std::to_string(*number);
      return std::nullopt;
    case RegType::Binary:
      return std::nullopt;
    case RegType::MultiString:
      return JoinedMultiString(*value);
    default:
      return ValueAsText(name, value, ansi);
  }
}

namespace {

// Reads a text value of a catalogue entry; an unreadable value is recorded in the report
// and read as "".
std::string ReadEntryText(const std::string& name, const std::optional<RegValue>& value,
                          AnsiCodec& ansi, ScanReport& report) {
  try {
    return ValueAsText(name, value, ansi);
  } catch (const RegistryError& e) {
    report.errors.emplace_back(e.what());
    return {};
  }
}

}  // namespace

IconLocation ParseIconSpec(const std::string& spec) {
  IconLocation location;
  const std::size_t comma = spec.find(',');
  if (comma == std::string::npos) {
    location.file = spec;
    return location;
  }
  location.file = spec.substr(0, comma);
  std::int64_t index = 0;
  if (ParseDecimal(spec.substr(comma + 1), index) && index >= INT32_MIN && index <= INT32_MAX) {
    location.index = static_cast<int>(index);
  }
  return location;
}

std::string ReadValueAsText(RegistryStore& store, const std::string& name, AnsiCodec& ansi) {
  return ValueAsText(name, store.QueryValue(name), ansi);
}

std::optional<RegValue> QueryValueByPath(Registry& registry, const std::string& fullKeyPath,
                                         const std::string& name) {
  auto store = registry.NewStore();
  store->SelectRoot(ExtractRootKey(fullKeyPath));
  if (!store->OpenPath(ExtractSubKey(fullKeyPath), false)) return std::nullopt;
  return store->QueryValue(name);
}

std::string ReadValueByPath(Registry& registry, const std::string& fullKeyPath,
                            const std::string& name, AnsiCodec& ansi) {
  return ValueDisplayText(name, QueryValueByPath(registry, fullKeyPath, name), ansi).value_or(std::string());
}

std::optional<std::int64_t> IntegerOf(const std::optional<RegValue>& value) {
  if (!value) return std::nullopt;
  const auto& data = value->data;
  if (value->type == RegType::Dword && data.size() == 4) return NumberOf(*value);
  return QwordOf(*value);
}

std::string LenientText(const std::optional<RegValue>& value) {
  if (!value) return {};
  switch (value->type) {
    case RegType::String:
    case RegType::ExpandString:
    case RegType::MultiString:
      // Up to the first NUL character: a multi-string's first string, whole.
      return Utf16LeBytesToUtf8(value->data.data(), value->data.size());
    default:
      if (const auto number = IntegerOf(value)) return std::to_string(*number);
      return {};
  }
}

bool IsUpdateReleaseType(const std::string& releaseType) {
  const std::string type = AsciiUpper(releaseType);
  for (const char* kind : {"SECURITY UPDATE", "UPDATE", "UPDATE ROLLUP", "HOTFIX", "SERVICE PACK"}) {
    if (type == kind) return true;
  }
  return false;
}

namespace {

// The largest size the list keeps exactly (2^53 bytes), in kilobytes.
constexpr std::int64_t kMaxEstimatedSizeKb = (std::int64_t{1} << 53) / 1024;

// What today's catalogues record beside the name and the command, read leniently from the
// open entry: a value of an unexpected kind leaves its field empty.
void ReadEntryDetails(RegistryStore& store, ProgramEntry& row) {
  row.publisher = LenientText(store.QueryValue(ValueName::Publisher));
  row.version = LenientText(store.QueryValue(ValueName::DisplayVersion));
  row.installDate = LenientText(store.QueryValue(ValueName::InstallDate));
  if (const auto size = IntegerOf(store.QueryValue(ValueName::EstimatedSize));
      size && *size >= 0 && *size <= kMaxEstimatedSizeKb) {
    row.estimatedSizeKb = *size;
  }
  row.quietCommand = LenientText(store.QueryValue(ValueName::QuietUninstallString));
  row.systemComponent = IntegerOf(store.QueryValue(ValueName::SystemComponent)) == 1;
  row.update = !LenientText(store.QueryValue(ValueName::ParentKeyName)).empty() ||
               IsUpdateReleaseType(LenientText(store.QueryValue(ValueName::ReleaseType)));
}

}  // namespace

namespace {

// The icon locations of a row in order: the entry's own icon, then its Target unless an
// earlier row of this catalogue already had it (that row shows it), then the default.
IconPlan PlanRowIcons(const std::string& iconSpec, const std::string& target, std::set<std::string>& knownTargets) {
  IconPlan plan;
  if (!iconSpec.empty()) plan.locations.push_back(ParseIconSpec(iconSpec));
  std::string targetKey = AsciiUpper(target);  // targets compare without regard to case
  if (!target.empty() && knownTargets.count(targetKey) == 0) plan.locations.push_back(ParseIconSpec(target));
  knownTargets.insert(std::move(targetKey));
  return plan;
}

}  // namespace

void ScanUninstallKey(Registry& registry, AnsiCodec& ansi, const CatalogueLocation& location, ProgramSink& sink,
                      const ScanCollaborators& collaborators, bool checkUninstallers, ScanReport& report) {
  const RootKeyHandle root = location.root;
  const std::string& catalogueKey = location.key;
  std::set<std::string> knownTargets;
  auto store = registry.NewStore();
  store->SelectRoot(root);
  if (!store->OpenPath(catalogueKey, false)) return;
  std::vector<std::string> names = store->ListSubKeys();
  const std::string displayNameValue = LoadStr(StrId::DisplayName);
  const std::string uninstallValue = LoadStr(StrId::UninstallString);
  const std::string iconValue = LoadStr(StrId::DisplayIcon);
  const std::string noName = LoadStr(StrId::NoName);
  // The rows' key paths are the catalogue's path and their names: the path is kept once.
  const auto catalogueKeyPath = std::make_shared<const std::string>(MakeFullKeyPath(root, catalogueKey) + "\\");
  std::string entryKey = catalogueKey + "\\";
  const std::size_t entryKeyPrefix = entryKey.size();

  for (std::string& name : names) {
    store->ClosePath();
    entryKey.replace(entryKeyPrefix, std::string::npos, name);
    if (!store->OpenPath(entryKey, false)) continue;
    const auto displayName = store->QueryValue(displayNameValue);
    if (!displayName) continue;
    const auto command = store->QueryValue(uninstallValue);
    if (!command) continue;

    ProgramEntry row;
    row.caption = ReadEntryText(displayNameValue, displayName, ansi, report);
    if (row.caption.empty()) {
      row.caption = noName;
      row.named = false;
    }
    row.catalogueKeyPath = catalogueKeyPath;
    if (collaborators.usage) {
      if (auto usage = collaborators.usage(name)) {
        row.hasUsage = true;
        row.usage = std::move(*usage);
      }
    }
    row.keyName = std::move(name);  // the list of names is read once: the row takes its name
    row.command = ReadEntryText(uninstallValue, command, ansi, report);
    row.catalogue = location.catalogue;
    if (collaborators.details) ReadEntryDetails(*store, row);

    // The entry's icon location is read only where icons are shown.
    if (collaborators.icons) {
      const std::string iconSpec = ReadEntryText(iconValue, store->QueryValue(iconValue), ansi, report);
      row.imageIndex = collaborators.icons->AddRowIcons(PlanRowIcons(iconSpec, row.usage.target, knownTargets));
    }

    if (checkUninstallers && collaborators.uninstallerTest && !collaborators.uninstallerTest(row.command)) {
      row.uninstallerMissing = true;
    }
    sink.AddRow(std::move(row));
    ++report.rows;
  }
}

void CompleteRows(Platform& platform, const std::vector<ProgramEntry*>& rows, const ScanParts& leftOut,
                  IconSource* icons) {
  if (!leftOut.usage && !leftOut.details && icons == nullptr) return;
  std::optional<UsageCacheIndex> usage;
  if (leftOut.usage) usage.emplace(platform.registry);
  const std::string iconValue = LoadStr(StrId::DisplayIcon);
  std::set<std::string> knownTargets;
  const std::string* catalogue = nullptr;
  auto store = platform.registry.NewStore();
  for (ProgramEntry* row : rows) {
    if (usage) {
      if (auto record = usage->Lookup(row->keyName)) {
        row->hasUsage = true;
        row->usage = std::move(*record);
      }
    }
    if (!leftOut.details && icons == nullptr) continue;  // the usage record was all
    const std::string keyPath = row->KeyPath();
    store->SelectRoot(ExtractRootKey(keyPath));
    const bool opened = store->OpenPath(ExtractSubKey(keyPath), false);
    if (opened && leftOut.details) ReadEntryDetails(*store, *row);
    if (icons == nullptr) continue;
    // Each catalogue starts with no known Targets, as its scan does.
    if (row->catalogueKeyPath.get() != catalogue) {
      catalogue = row->catalogueKeyPath.get();
      knownTargets.clear();
    }
    std::string iconSpec;
    if (opened) {
      try {
        iconSpec = ValueAsText(iconValue, store->QueryValue(iconValue), platform.ansi);
      } catch (const RegistryError&) {
        // Unreadable, as in a scan: the row falls back to its Target or the default icon.
      }
    }
    row->imageIndex = icons->AddRowIcons(PlanRowIcons(iconSpec, row->usage.target, knownTargets));
  }
}

std::vector<CatalogueLocation> CatalogueLocations(Registry& registry) {
  const std::string uninstallKey = LoadStr(StrId::UninstallKey);
  std::vector<CatalogueLocation> locations{{RootKey::LocalMachine, uninstallKey, Catalogue::Machine64}};
  auto store = registry.NewStore();
  store->SelectRoot(RootKey::LocalMachine);
  if (store->HasKey(kWow64UninstallKey)) {
    locations.push_back({RootKey::LocalMachine, kWow64UninstallKey, Catalogue::Machine32});
  }
  locations.push_back({RootKey::CurrentUser, uninstallKey, Catalogue::User});
  return locations;
}

ScanReport ScanCatalogue(Platform& platform, ProgramSink& sink, IconSource* icons,
                         bool checkUninstallers, const ScanParts& parts) {
  ScanCollaborators collaborators;
  // The cache's record names are listed once; without a usage cache (systems that keep none)
  // no row has a record: none is looked up.
  std::optional<UsageCacheIndex> usage;
  if (parts.usage) usage.emplace(platform.registry);
  if (usage && usage->CacheExists()) {
    collaborators.usage = [&usage](const std::string& subKeyName) { return usage->Lookup(subKeyName); };
  }
  collaborators.details = parts.details;
  // The Installer's products are listed once for the whole scan where it can.
  std::unique_ptr<InstallerProducts> listing = platform.installer ? platform.installer->Listing() : nullptr;
  InstallerProducts* installer = listing ? listing.get() : platform.installer;
  collaborators.uninstallerTest = [&platform, installer](const std::string& command) {
    return UninstallerPresent(platform.files, installer, command);
  };
  collaborators.icons = icons;
  ScanReport report;
  for (const auto& location : CatalogueLocations(platform.registry)) {
    ScanUninstallKey(platform.registry, platform.ansi, location, sink,
                     collaborators, checkUninstallers, report);
  }
  return report;
}

}  // namespace tw
