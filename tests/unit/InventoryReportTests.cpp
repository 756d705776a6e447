#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "catalogue/InventoryReport.h"
#include "support/Fakes.h"

namespace tw {
namespace {

// 北斗ノート and 水野 in UTF-8.
const std::string kJapaneseName = "\xE5\x8C\x97\xE6\x96\x97\xE3\x83\x8E\xE3\x83\xBC\xE3\x83\x88";
const std::string kJapaneseUser = "\xE6\xB0\xB4\xE9\x87\x8E";
const std::string kMsiCode = "{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6F7}";

// What the demo catalogue's golden files cannot show: a line break, control characters, an
// unpaired surrogate (as the registry may hold one), unknown fields and a name outside every
// Western code page.
std::vector<InventoryRow> KnownRows() {
  InventoryRow hokuto;
  hokuto.name = kJapaneseName;
  hokuto.publisher = "Line one\r\nTab\there\x01 \\ \xED\xA0\x80";
  hokuto.uninstallCommand = "MsiExec.exe /X" + kMsiCode;
  hokuto.uninstallerMissing = true;
  hokuto.systemComponent = true;
  hokuto.catalogue = Catalogue::Machine32;
  hokuto.keyPath = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + kMsiCode;
  return {hokuto};
}

TEST(InventoryReport, CsvIsRfc4180WithAByteOrderMarkAndEveryCharacterKept) {
  const std::string expected =
      "\xEF\xBB\xBF"
      "Name,Publisher,Version,Install Date,Size (bytes),Last Used,Frequency,Uninstall Command,"
      "Quiet Uninstall Command,Uninstaller Missing,System Component,Catalogue,Key Path\r\n"
      // UTF-8 cannot carry the unpaired surrogate: it becomes U+FFFD.
      "\xE5\x8C\x97\xE6\x96\x97\xE3\x83\x8E\xE3\x83\xBC\xE3\x83\x88,\"Line one\r\nTab\there\x01 \\ \xEF\xBF\xBD\",,,,,,"
      "MsiExec.exe /X{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6F7},,true,true,machine 32-bit,"
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
      "{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6F7}\r\n";
  EXPECT_EQ(InventoryCsv(KnownRows()), expected);
}

TEST(InventoryReport, JsonHoldsWhoWhenAndOneObjectPerProgram) {
  const InventoryHeader header{"OFFICE-PC", kJapaneseUser, "2026-12-08T14:05:09+01:00"};
  const std::string expected =
      "{\r\n"
      "  \"computerName\": \"OFFICE-PC\",\r\n"
      "  \"userName\": \"\xE6\xB0\xB4\xE9\x87\x8E\",\r\n"
      "  \"created\": \"2026-12-08T14:05:09+01:00\",\r\n"
      "  \"programs\": [\r\n"
      "    {\r\n"
      "      \"name\": \"\xE5\x8C\x97\xE6\x96\x97\xE3\x83\x8E\xE3\x83\xBC\xE3\x83\x88\",\r\n"
      // JSON carries the unpaired surrogate as its escape.
      "      \"publisher\": \"Line one\\r\\nTab\\there\\u0001 \\\\ \\ud800\",\r\n"
      "      \"version\": \"\",\r\n"
      "      \"installDate\": null,\r\n"
      "      \"sizeBytes\": null,\r\n"
      "      \"lastUsed\": null,\r\n"
      "      \"frequency\": \"\",\r\n"
      "      \"uninstallCommand\": \"MsiExec.exe /X{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6F7}\",\r\n"
      "      \"quietUninstallCommand\": \"\",\r\n"
      "      \"uninstallerMissing\": true,\r\n"
      "      \"systemComponent\": true,\r\n"
      "      \"catalogue\": \"machine 32-bit\",\r\n"
      "      \"keyPath\": \"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\WOW6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
      "Uninstall\\\\{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6F7}\"\r\n"
      "    }\r\n"
      "  ]\r\n"
      "}\r\n";
  EXPECT_EQ(InventoryJson(header, KnownRows()), expected);
  EXPECT_EQ(InventoryJson({"", "", "2026-01-01T00:00:00+00:00"}, {}),
            "{\r\n"
            "  \"computerName\": \"\",\r\n"
            "  \"userName\": \"\",\r\n"
            "  \"created\": \"2026-01-01T00:00:00+00:00\",\r\n"
            "  \"programs\": []\r\n"
            "}\r\n");
}

// What a row derives rather than copies: the display name (none for the placeholder), the ISO
// install date, the size, and the last use as the local date the column shows.
TEST(InventoryReport, ARowDerivesItsDatesNameAndSizeFromTheListRow) {
  test::FixedOffsetTimeZone zone(60);
  ProgramEntry row;
  row.caption = "<no name>";
  row.named = false;
  row.installDate = "20240312";
  row.estimatedSizeKb = 2;
  row.hasUsage = true;
  row.usage = UsageRecord{-1, test::FileTimeOf(2024, 5, 2, 23, 30), 12, "a.exe"};
  InventoryRow item = InventoryRowOf(row, zone);
  EXPECT_EQ(item.name, "");
  EXPECT_EQ(item.installDate, "2024-03-12");
  EXPECT_EQ(item.sizeBytes, 2048);
  EXPECT_EQ(item.lastUsed, "2024-05-03");  // an hour east of UTC
  EXPECT_EQ(item.frequency, "frequently");
  row.usage.lastUse = test::FileTimeOf(1975, 1, 1, 12);  // no day the column can name
  EXPECT_EQ(InventoryRowOf(row, zone).lastUsed, "");
}

// The size: the usage record's when it is known, else EstimatedSize in bytes.
TEST(InventoryReport, SizeComesFromTheUsageRecordElseTheEstimate) {
  struct Case {
    bool hasUsage;
    std::int64_t usageSize;
    std::int64_t estimatedKb;
    std::optional<std::int64_t> bytes;
  } const cases[] = {
      {true, 5000, 2048, 5000},
      {true, 0, 2048, 0},
      {true, -1, 2048, 2097152},
      {false, 0, 2048, 2097152},
      {false, 0, 0, 0},
      {false, 0, -1, std::nullopt},
      {true, -1, -1, std::nullopt},
      {false, 0, INT64_MAX, std::nullopt},  // no byte count fits
  };
  for (const auto& c : cases) {
    ProgramEntry row;
    row.hasUsage = c.hasUsage;
    row.usage.size = c.usageSize;
    row.estimatedSizeKb = c.estimatedKb;
    EXPECT_EQ(ProgramSizeBytes(row), c.bytes) << c.usageSize << " " << c.estimatedKb;
  }
}

TEST(InventoryReport, InstallDatesAreIsoOnlyForDaysOfTheCalendar) {
  const std::pair<const char*, const char*> cases[] = {
      {"20240312", "2024-03-12"}, {"20240229", "2024-02-29"}, {"20230229", ""}, {"20241301", ""},
      {"20240431", ""},           {"00000412", ""},           {"2024031", ""},  {"202403120", ""},
      {"2024-03-12", ""},         {"+2024031", ""},           {" 2024031", ""}, {"", ""},
  };
  for (const auto& [stored, iso] : cases) EXPECT_EQ(IsoInstallDate(stored), iso) << stored;
}

TEST(InventoryReport, TimesCarryTheirOffsetFromUtc) {
  const DateTime when{2026, 12, 8, 14, 5, 9, 0};
  const std::pair<int, const char*> cases[] = {
      {60, "2026-12-08T14:05:09+01:00"},
      {0, "2026-12-08T14:05:09+00:00"},
      {-330, "2026-12-08T14:05:09-05:30"},
  };
  for (const auto& [offset, iso] : cases) EXPECT_EQ(IsoDateTime(when, offset), iso) << offset;
}

TEST(InventoryReport, TheFileNameChoosesTheFormat) {
  const std::pair<const char*, std::optional<InventoryFormat>> cases[] = {
      {"C:\\r\\inventory.csv", InventoryFormat::Csv}, {"INV.CSV", InventoryFormat::Csv},
      {"inv.Json", InventoryFormat::Json},            {"report.txt", std::nullopt},
      {"report", std::nullopt},                       {"csv", std::nullopt},
      {"inv.csv.txt", std::nullopt},                  {"inv.jsonl", std::nullopt},
  };
  for (const auto& [name, format] : cases) EXPECT_EQ(InventoryFormatOfFile(name), format) << name;
}

}  // namespace
}  // namespace tw
