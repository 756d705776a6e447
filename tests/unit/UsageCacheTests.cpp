#include <gtest/gtest.h>

#include "catalogue/UsageCache.h"
#include "support/Catalogue.h"
#include "support/Fakes.h"

namespace tw {
namespace {

using test::AddUsage;
using test::FileTimeOf;
using test::UsageRecordBytes;

TEST(UsageCache, DecodesAValidRecord) {
  test::FakePlatform fake;
  AddUsage(fake.registry, "App",
           RegValue{RegType::Binary, UsageRecordBytes(1572864, FileTimeOf(2026, 3, 1, 12), 5,
                                                       u"C:\\Program Files\\App\\app.exe")});
  UsageRecord record;
  ASSERT_TRUE(ReadUsageRecord(fake.registry, "App", record));
  EXPECT_EQ(record.size, 1572864);
  EXPECT_EQ(record.useCount, 5u);
  EXPECT_EQ(record.target, "C:\\Program Files\\App\\app.exe");
  const auto found = LookupUsage(fake.registry, "App");
  ASSERT_TRUE(found.has_value());
  const UsageTexts texts = MakeUsageTexts(fake.locale, fake.timeZone, *found);
  EXPECT_EQ(texts.size, "       1.5 MB");
  EXPECT_EQ(texts.lastUsedOn, "2026-03-01");
  EXPECT_EQ(texts.frequency, "occasionally");
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

TEST(UsageCache, MalformedRecordsCountAsNone) {
  test::FakePlatform fake;
  auto good = UsageRecordBytes(100, 1, 1, u"x");
  auto shortRecord = good;
  shortRecord.pop_back();
  auto longRecord = good;
  longRecord.push_back(0);
  AddUsage(fake.registry, "Short", RegValue{RegType::Binary, shortRecord});
  AddUsage(fake.registry, "Long", RegValue{RegType::Binary, longRecord});
  AddUsage(fake.registry, "AsString", RegValue{RegType::String, good});
  AddUsage(fake.registry, "AsNone", RegValue{RegType::None, good});
  for (const char* name : {"Short", "Long", "AsString", "AsNone", "Missing"}) {
    UsageRecord record;
    record.size = 77;
    record.target = "stale";
    EXPECT_FALSE(ReadUsageRecord(fake.registry, name, record)) << name;
    EXPECT_EQ(record.size, 0) << name;
    EXPECT_EQ(record.target, "") << name;
    EXPECT_FALSE(LookupUsage(fake.registry, name).has_value()) << name;
  }
}

TEST(UsageCache, UnknownSizeTimeAndCountGiveEmptyTextsButKeepTarget) {
  test::FakePlatform fake;
  AddUsage(fake.registry, "App",
           RegValue{RegType::Binary, UsageRecordBytes(-1, 0, 0xFFFFFFFFu, u"C:\\a.exe")});
  const auto found = LookupUsage(fake.registry, "App");
  ASSERT_TRUE(found.has_value());
  const UsageTexts texts = MakeUsageTexts(fake.locale, fake.timeZone, *found);
  EXPECT_EQ(texts.target, "C:\\a.exe");
  EXPECT_EQ(texts.size, "");
  EXPECT_EQ(texts.lastUsedOn, "");
  EXPECT_EQ(texts.frequency, "");
}

TEST(UsageCache, TargetWithoutNulRunsToTheEndAndStaysLossless) {
  // 262 characters fill the record's Target field completely, with no NUL after them.
  std::u16string target(262, u'\u00E9');
  target[0] = u'\u65E5';  // a character outside every ANSI code page
  auto bytes = UsageRecordBytes(1, 0, 0, target);
  UsageRecord record;
  ASSERT_TRUE(DecodeUsageRecord(bytes, record));
  EXPECT_EQ(record.target.size(), 3u + 261u * 2u);
  EXPECT_EQ(record.target.substr(0, 3), "\xE6\x97\xA5");
  // Garbage after a NUL is ignored.
  bytes = UsageRecordBytes(1, 0, 0, std::u16string(u"ab\0\u00FF\u00FF", 5));
  ASSERT_TRUE(DecodeUsageRecord(bytes, record));
  EXPECT_EQ(record.target, "ab");
}

// The names the registry takes for one name share a key; names it tells apart by their
// letters a to z do not.
TEST(UsageCache, RegistryNameKeys) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"Alpha Studio_is1", "ALPHA studio_IS1", true},
      {"{6F1A2B3C-9D4E-4F50}", "{6f1a2b3c-9d4e-4f50}", true},
      {"Tool 1", "Tool 2", false},
      {"Tool", "Tool ", false},
      {"\xC3\x89" "clair", "\xC3\xA9" "clair", true},  // E and e with acute: the open tells
      {"D\xC4\xB1sk", "DISK", true},                  // dotless i upper-cases to I
      {"Cla\xC5\xBF", "CLAS", true},                  // long s upper-cases to S
      {"\xE5\x86\x99\xE7\x9C\x9F", "\xE9\x9F\xB3\xE6\xA5\xBD", true},  // non-ASCII shares a key
      {"\xE5\x86\x99", "\xE5\x86\x99\xE5\x86\x99", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RegistryNameKey(c.a) == RegistryNameKey(c.b), c.same) << c.a << " / " << c.b;
  }
}

// The cache's names are listed once; a lookup opens only a record that is listed, found
// whatever the letter case of the catalogue's name.
TEST(UsageCache, TheIndexOpensOnlyListedRecords) {
  test::FakePlatform fake;
  AddUsage(fake.registry, "Alpha", RegValue{RegType::Binary, UsageRecordBytes(1048576, 0, 3, u"C:\\a.exe")});
  AddUsage(fake.registry, "Broken", RegValue{RegType::Binary, std::vector<std::uint8_t>(551)});
  std::vector<std::string> opened;
  fake.registry.denyOpen = [&](const std::string& keyPath) {
    opened.push_back(keyPath);
    return false;
  };
  const UsageCacheIndex index(fake.registry);
  EXPECT_TRUE(index.CacheExists());
  opened.clear();
  const auto alpha = index.Lookup("ALPHA");
  ASSERT_TRUE(alpha.has_value());
  EXPECT_EQ(alpha->size, 1048576);
  EXPECT_EQ(alpha->target, "C:\\a.exe");
  EXPECT_FALSE(index.Lookup("Broken").has_value());  // listed, but no valid record
  EXPECT_FALSE(index.Lookup("Gamma").has_value());
  EXPECT_FALSE(index.Lookup("Alph").has_value());
  const std::string cache = std::string("HKEY_LOCAL_MACHINE\\") + test::kArpCacheKey + "\\";
  EXPECT_EQ(opened, (std::vector<std::string>{cache + "ALPHA", cache + "Broken"}));

  // A system without the cache has no records, and says so.
  test::FakePlatform bare;
  const UsageCacheIndex none(bare.registry);
  EXPECT_FALSE(none.CacheExists());
  EXPECT_FALSE(none.Lookup("Alpha").has_value());
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

TEST(UsageCache, FrequencyWords) {
  struct Case {
    std::uint32_t count;
    const char* word;
  };
  const Case cases[] = {{0, "rarely"},       {2, "rarely"},          {3, "occasionally"},
                        {10, "occasionally"}, {11, "frequently"},    {2147483647u, "frequently"},
                        {2147483648u, ""},    {0xFFFFFFFFu, ""}};
  for (const auto& c : cases) EXPECT_EQ(FrequencyText(c.count), c.word) << c.count;
}

}  // namespace
}  // namespace tw
