#include "catalogue/UsageCache.h"

#include "catalogue/ValueNames.h"
#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "util/Text.h"

namespace tw {

namespace {

std::uint64_t LoadLE(const std::uint8_t* p, int width) {
  std::uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

bool DecodeUsageRecord(const std::vector<std::uint8_t>& bytes, UsageRecord& record) {
  record = UsageRecord{};
  if (bytes.size() != kUsageRecordSize) return false;
  record.size = static_cast<std::int64_t>(LoadLE(bytes.data() + 8, 8));
  record.lastUse = LoadLE(bytes.data() + 16, 8);
  record.useCount = static_cast<std::uint32_t>(LoadLE(bytes.data() + 24, 4));
  // The Target runs to the first NUL character or to the end of the record; it stays
  // lossless (UTF-16 to UTF-8).
  record.target = Utf16LeBytesToUtf8(bytes.data() + 28, kUsageRecordSize - 28);
  return true;
}

bool ReadUsageRecord(Registry& registry, const std::string& subKeyName, UsageRecord& record) {
  record = UsageRecord{};
  auto store = registry.NewStore();
  store->SelectRoot(RootKey::LocalMachine);
  if (!store->OpenPath(LoadStr(StrId::ArpCacheKey) + "\\" + subKeyName, false)) return false;
  const auto value = store->QueryValue(ValueName::SlowInfoCache);
  if (!value || value->type != RegType::Binary || value->data.size() != kUsageRecordSize) {
    return false;
  }
  return DecodeUsageRecord(value->data, record);
}

std::string FrequencyText(std::uint32_t count) {
  if (count <= 2) return LoadStr(StrId::UsedRarely);
  if (count <= 10) return LoadStr(StrId::UsedOccasionally);
  if (count <= 2147483647u) return LoadStr(StrId::UsedFrequently);
  return {};
}

std::string UsageSizeText(Locale& locale, std::int64_t size) {
  return FormatSizeMB(locale, LoadStr(StrId::UsageSizeFormat), size);
}

std::string UsageLastUsedText(TimeZone& zone, std::uint64_t lastUse) {
  return FormatFileTime(zone, lastUse, "yyyy-mm-dd");
}

UsageTexts MakeUsageTexts(Locale& locale, TimeZone& zone, const UsageRecord& record) {
  UsageTexts texts;
  texts.target = record.target;
  texts.size = UsageSizeText(locale, record.size);
  texts.lastUsedOn = UsageLastUsedText(zone, record.lastUse);
  texts.frequency = FrequencyText(record.useCount);
  return texts;
}

std::optional<UsageRecord> LookupUsage(Registry& registry, const std::string& subKeyName) {
  UsageRecord record;
  if (!ReadUsageRecord(registry, subKeyName, record)) return std::nullopt;
  return record;
}

std::string RegistryNameKey(std::string_view name) {
  std::string key;
  key.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const char32_t cp = NextCodePoint(name, i);
    if (cp < 0x80) {
      key.push_back(static_cast<char>(cp >= 'a' && cp <= 'z' ? cp - 'a' + 'A' : cp));
    } else if (cp == 0x131) {
      key.push_back('I');
    } else if (cp == 0x17F) {
      key.push_back('S');
    } else {
      key.push_back('\x7F');
    }
  }
  return key;
}

UsageCacheIndex::UsageCacheIndex(Registry& registry) : registry_(registry) {
  auto store = registry.NewStore();
  store->SelectRoot(RootKey::LocalMachine);
  if (!store->OpenPath(LoadStr(StrId::ArpCacheKey), false)) return;
  cacheExists_ = true;
  for (const std::string& name : store->ListSubKeys()) names_.insert(RegistryNameKey(name));
}

bool UsageCacheIndex::MayHaveRecord(const std::string& subKeyName) const {
  return names_.count(RegistryNameKey(subKeyName)) != 0;
}

std::optional<UsageRecord> UsageCacheIndex::Lookup(const std::string& subKeyName) const {
  if (!MayHaveRecord(subKeyName)) return std::nullopt;
  return LookupUsage(registry_, subKeyName);
}

}  // namespace tw
