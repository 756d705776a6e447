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
