#include <gtest/gtest.h>

#include "support/Catalogue.h"
#include "util/AppStrings.h"
#include "util/MemoryRegistryStore.h"
#include "util/SettingsStore.h"

namespace tw {
namespace {

TEST(SettingsStore, NumbersAreDecimalTextUnderTheCurrentUser) {
  MemoryRegistry registry;
  SettingsStore settings(registry, LoadStr(StrId::SettingsKey));
  EXPECT_EQ(settings.ReadSettingNumber("Desktop", "Left", 2147483647), 2147483647);
  settings.WriteSettingNumber("Desktop", "Left", -12);
  settings.WriteSettingNumber("Desktop", "MainViewStyle", 3);
  EXPECT_EQ(settings.ReadSettingNumber("Desktop", "Left", 0), -12);
  EXPECT_EQ(settings.ReadSettingNumber("desktop", "mainviewstyle", 0), 3);
  auto store = registry.NewStore();
  store->SelectRoot(RootKey::CurrentUser);
  ASSERT_TRUE(store->OpenPath("Software\\Quenmark\\Tidewell\\Desktop", false));
  EXPECT_EQ(store->QueryValue("Left"), RegValue::Text("-12"));
  EXPECT_EQ(registry.storesAlive, 1);
}

TEST(SettingsStore, AnythingButADecimalNumberGivesTheDefault) {
  MemoryRegistry registry;
  const std::string key = "Software\\Quenmark\\Tidewell\\Desktop";
  const std::pair<const char*, RegValue> values[] = {
      {"Text", RegValue::Text("wide")},     {"Blank", RegValue::Text("")},
      {"Spaces", RegValue::Text(" 12")},    {"Huge", RegValue::Text("2147483648")},
      {"Hex", RegValue::Text("$10")},       {"Dword", RegValue::Number(5)},
      {"Bin", RegValue{RegType::Binary, {1}}},
  };
  for (const auto& [name, value] : values) test::SetValue(registry, RootKey::CurrentUser, key, name, value);
  SettingsStore settings(registry, "Software\\Quenmark\\Tidewell");
  for (const auto& [name, value] : values) EXPECT_EQ(settings.ReadSettingNumber("Desktop", name, -7), -7) << name;
  EXPECT_EQ(settings.ReadSettingNumber("Other", "Left", 9), 9);
}

}  // namespace
}  // namespace tw
