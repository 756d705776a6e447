#pragma once
// The behaviour every RegistryStore must show, as one parameterised GoogleTest suite. A test
// program runs it against a store by instantiating the suite with a target factory:
//
//   INSTANTIATE_TEST_SUITE_P(Memory, RegistryContract,
//                            ::testing::Values(tw::test::MemoryRegistryTarget()),
//                            tw::test::RegistryTargetName);
//
// Each case works below a key of its own (Base()) under HKEY_CURRENT_USER, which the target
// creates empty before the case and removes after it. Include this header in one file per
// test program only: it defines the tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/MemoryRegistryStore.h"
#include "util/RegistryStore.h"

namespace tw::test {

/// One store implementation prepared for a contract case.
class RegistryTarget {
 public:
  virtual ~RegistryTarget() = default;
  virtual Registry& registry() = 0;
  /// A path below HKEY_CURRENT_USER that exists, is empty and belongs to this case.
  virtual std::string Base() const = 0;
  /// Makes a symbolic link at `path` to the key at `targetPath` (both below
  /// HKEY_CURRENT_USER; the target need not exist) and gives the target as the link stores it.
  virtual std::string MakeLink(const std::string& path, const std::string& targetPath) = 0;
};

/// Names a store implementation and makes a fresh target for each case.
struct RegistryTargetFactory {
  std::string name;
  std::function<std::unique_ptr<RegistryTarget>()> make;
};

inline std::string RegistryTargetName(const ::testing::TestParamInfo<RegistryTargetFactory>& info) {
  return info.param.name;
}

inline void PrintTo(const RegistryTargetFactory& factory, std::ostream* out) { *out << factory.name; }

/// The in-memory store: a new registry per case.
inline RegistryTargetFactory MemoryRegistryTarget() {
  class Target : public RegistryTarget {
   public:
    Target() {
      auto store = registry_.NewStore();
      store->SelectRoot(RootKey::CurrentUser);
      store->OpenPath(Base(), true);
    }
    Registry& registry() override { return registry_; }
    std::string Base() const override { return "Software\\TidewellTest\\Contract"; }
    std::string MakeLink(const std::string& path, const std::string& targetPath) override {
      const std::string target = "\\REGISTRY\\USER\\" + registry_.currentUserSid + "\\" + targetPath;
      registry_.MakeLink(RootKey::CurrentUser, path, target);
      return target;
    }

   private:
    MemoryRegistry registry_;
  };
  return {"Memory", [] { return std::unique_ptr<RegistryTarget>(std::make_unique<Target>()); }};
}

class RegistryContract : public ::testing::TestWithParam<RegistryTargetFactory> {
 protected:
  void SetUp() override {
    target_ = GetParam().make();
    ASSERT_NE(target_, nullptr);
    base_ = target_->Base();
    store_ = NewStore();
  }
  void TearDown() override {
    store_.reset();
    target_.reset();
  }

  std::unique_ptr<RegistryStore> NewStore() {
    auto store = target_->registry().NewStore();
    store->SelectRoot(RootKey::CurrentUser);
    return store;
  }
  /// A path below the case's own key.
  std::string Path(const std::string& relative) const { return base_ + "\\" + relative; }

  /// Opens (creating) a key below the case's own key in the fixture's store.
  void OpenCreated(const std::string& relative) {
    ASSERT_TRUE(store_->OpenPath(Path(relative), true)) << relative;
  }

  static std::vector<std::uint8_t> Utf16(const std::u16string& text, bool terminated = true) {
    std::vector<std::uint8_t> out;
    for (char16_t c : text) {
      out.push_back(static_cast<std::uint8_t>(c & 0xFF));
      out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (terminated) {
      out.push_back(0);
      out.push_back(0);
    }
    return out;
  }

  /// The message of the RegistryError a call raises, or "(no error)".
  template <class Call>
  static std::string ErrorOf(Call call) {
    try {
      call();
    } catch (const RegistryError& error) {
      return error.what();
    }
    return "(no error)";
  }

  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  /// Every value of a key and of the keys below it, as "path|name|type|bytes" lines.
  std::vector<std::string> Tree(const std::string& path) {
    std::vector<std::string> lines;
    auto store = NewStore();
    if (!store->OpenPath(path, false)) return lines;
    for (const auto& name : store->ListValues()) {
      const auto value = store->QueryValue(name);
      std::string line = path + "|" + name + "|" + std::to_string(value ? value->type : 99u) + "|";
      if (value) {
        for (std::uint8_t b : value->data) line += std::to_string(b) + " ";
      }
      lines.push_back(line);
    }
    for (const auto& sub : store->ListSubKeys()) {
      for (auto& line : Tree(path + "\\" + sub)) lines.push_back(std::move(line));
    }
    return lines;
  }

  std::unique_ptr<RegistryTarget> target_;
  std::string base_;
  std::unique_ptr<RegistryStore> store_;
};

TEST_P(RegistryContract, OpenCreateAndClose) {
  EXPECT_EQ(store_->CurrentRoot(), RootKey::CurrentUser);
  EXPECT_FALSE(store_->IsOpen());
  EXPECT_FALSE(store_->IsWritable());

  EXPECT_FALSE(store_->OpenPath(Path("A\\B\\C"), false));
  EXPECT_FALSE(store_->IsOpen());
  EXPECT_FALSE(store_->HasKey(Path("A")));

  // Creating makes every missing key on the way.
  ASSERT_TRUE(store_->OpenPath(Path("A\\B\\C"), true));
  EXPECT_TRUE(store_->IsOpen());
  EXPECT_TRUE(store_->IsWritable());
  EXPECT_TRUE(store_->HasKey(Path("A")));
  EXPECT_TRUE(store_->HasKey(Path("A\\B\\C")));
  store_->ClosePath();
  EXPECT_FALSE(store_->IsOpen());
  EXPECT_FALSE(store_->IsWritable());

  // Opening an existing key, in any letter case, also with create.
  EXPECT_TRUE(store_->OpenPath(Path("a\\b"), false));
  EXPECT_TRUE(store_->IsWritable());
  EXPECT_EQ(store_->ListSubKeys(), std::vector<std::string>{"C"});
  EXPECT_TRUE(store_->OpenPath(Path("A\\B\\C"), true));
  EXPECT_TRUE(store_->ListSubKeys().empty());

  // A failed open leaves no key open, not even the one open before.
  ASSERT_TRUE(store_->OpenPath(Path("A"), false));
  EXPECT_FALSE(store_->OpenPath(Path("Missing"), false));
  EXPECT_FALSE(store_->IsOpen());
  EXPECT_FALSE(store_->IsWritable());
  EXPECT_TRUE(store_->ListSubKeys().empty());
  EXPECT_FALSE(store_->QueryValue("").has_value());

  // The empty path is the root itself.
  ASSERT_TRUE(store_->OpenPath("", false));
  const auto top = store_->ListSubKeys();
  const std::string first = base_.substr(0, base_.find('\\'));
  EXPECT_NE(std::find(top.begin(), top.end(), first), top.end()) << first;
}

TEST_P(RegistryContract, InvalidAndUnknownRootsOpenNothing) {
  OpenCreated("Here");
  store_->WriteText("v", "x");
  for (const RootKeyHandle root : {RootKey::Invalid, RootKeyHandle{0x80000007u}, RootKeyHandle{0x12345678u}}) {
    SCOPED_TRACE(root);
    ASSERT_TRUE(store_->OpenPath(Path("Here"), false));
    store_->SelectRoot(root);
    EXPECT_EQ(store_->CurrentRoot(), root);
    EXPECT_FALSE(store_->IsOpen()) << "selecting a root closes the open key";
    EXPECT_FALSE(store_->OpenPath(Path("Here"), false));
    EXPECT_FALSE(store_->OpenPath(Path("Made"), true));
    EXPECT_FALSE(store_->OpenPath("", false));
    EXPECT_FALSE(store_->IsOpen());
    EXPECT_FALSE(store_->HasKey(Path("Here")));
    EXPECT_FALSE(store_->RemoveKey(Path("Here")));
    EXPECT_FALSE(store_->HasValue("v"));
    EXPECT_EQ(store_->ReadText("v"), "");
    EXPECT_TRUE(store_->ListSubKeys().empty());
    EXPECT_TRUE(store_->ListValues().empty());
    EXPECT_EQ(ErrorOf([&] { store_->WriteText("v", "y"); }), "Failed to set data for 'v'");
    store_->SelectRoot(RootKey::CurrentUser);
  }
  // Nothing was made or removed through the bad roots.
  EXPECT_TRUE(store_->HasKey(Path("Here")));
  EXPECT_FALSE(store_->HasKey(Path("Made")));
  ASSERT_TRUE(store_->OpenPath(Path("Here"), false));
  EXPECT_EQ(store_->ReadText("v"), "x");
}

TEST_P(RegistryContract, ListsDirectSubKeysInCaseInsensitiveOrder) {
  OpenCreated("List");
  EXPECT_TRUE(store_->ListSubKeys().empty());
  for (const char* name : {"beta", "Alpha", "gamma\\inner", "Delta", "alpha2", "B9", "b10"}) {
    OpenCreated(std::string("List\\") + name);
  }
  ASSERT_TRUE(store_->OpenPath(Path("List"), false));
  // Names keep the case they were made with; only direct sub keys are listed.
  EXPECT_EQ(store_->ListSubKeys(),
            (std::vector<std::string>{"Alpha", "alpha2", "b10", "B9", "beta", "Delta", "gamma"}));
  // Listing does not depend on values, and values are not keys.
  store_->WriteText("ValueNotKey", "x");
  EXPECT_EQ(store_->ListSubKeys().size(), 7u);
}

TEST_P(RegistryContract, ListsValuesIncludingTheDefaultValue) {
  OpenCreated("Values");
  EXPECT_TRUE(store_->ListValues().empty());
  EXPECT_FALSE(store_->HasValue(""));
  store_->WriteText("Zed", "1");
  store_->WriteText("", "default");
  store_->WriteValue("alpha", RegValue::Number(5));
  store_->WriteValue("Mid", RegValue{RegType::Binary, {}});
  // The order is the store's own (creation order, or sorted): compare as sets.
  EXPECT_EQ(Sorted(store_->ListValues()), (std::vector<std::string>{"", "Mid", "Zed", "alpha"}));
  EXPECT_TRUE(store_->HasValue(""));
  EXPECT_EQ(store_->ReadText(""), "default");
  EXPECT_TRUE(store_->HasValue("ALPHA"));
  EXPECT_TRUE(store_->HasValue("mid"));
  EXPECT_FALSE(store_->HasValue("alph"));

  // Writing a name again in another case replaces the value and keeps one name.
  store_->WriteText("ZED", "2");
  EXPECT_EQ(store_->ListValues().size(), 4u);
  EXPECT_EQ(store_->ReadText("zed"), "2");
}

// What the typed reads make of one stored value.
struct TypedReadCase {
  const char* label;
  std::optional<RegValue> value;  // nothing: the value is absent
  ValueKind kind;
  std::int64_t size;
  std::optional<std::string> text;  // nothing: ReadText raises the read error
  std::optional<std::vector<std::uint8_t>> bytes;  // nothing: ReadBytes (capacity 2048) raises it
};

TEST_P(RegistryContract, TypedReadsOfEveryValueType) {
  const std::u16string longText(3000, u'x');
  const std::vector<std::uint8_t> blob2048(2048, 0xAB);
  const std::vector<std::uint8_t> blob2049(2049, 0xCD);
  const std::vector<std::uint8_t> multiString = {'o', 0, 'n', 0, 'e', 0, 0, 0, 't', 0, 'w', 0, 'o', 0, 0, 0, 0, 0};
  const std::vector<std::uint8_t> qword = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::vector<std::uint8_t> oddString = {'a', 0, 'b', 0, 'c'};
  // "Grüße – 日本 😀" in UTF-8 and UTF-16.
  const std::string unicode = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
  const std::u16string unicode16 = u"Gr\u00FC\u00DFe \u2013 \u65E5\u672C \U0001F600";

  const TypedReadCase cases[] = {
      {"string", RegValue{RegType::String, Utf16(u"hello")}, ValueKind::String, 12, "hello", std::nullopt},
      {"expandable string stays unexpanded", RegValue{RegType::ExpandString, Utf16(u"%SystemRoot%\\x.exe")},
       ValueKind::ExpandString, 38, "%SystemRoot%\\x.exe", std::nullopt},
      {"dword", RegValue::Number(42), ValueKind::Integer, 4, std::nullopt, std::nullopt},
      {"binary", RegValue{RegType::Binary, {1, 2, 3}}, ValueKind::Binary, 3, std::nullopt,
       std::vector<std::uint8_t>{1, 2, 3}},
      {"multi string", RegValue{RegType::MultiString, multiString}, ValueKind::Unknown, 18, std::nullopt,
       multiString},
      {"none with data", RegValue{RegType::None, {9, 8}}, ValueKind::Unknown, 2, std::nullopt,
       std::vector<std::uint8_t>{9, 8}},
      {"qword", RegValue{RegType::Qword, qword}, ValueKind::Unknown, 8, std::nullopt, qword},
      {"empty none", RegValue{RegType::None, {}}, ValueKind::Unknown, 0, "", std::vector<std::uint8_t>{}},
      {"empty string", RegValue{RegType::String, {}}, ValueKind::String, 0, "", std::nullopt},
      {"string of one NUL", RegValue{RegType::String, {0, 0}}, ValueKind::String, 2, "", std::nullopt},
      {"empty binary", RegValue{RegType::Binary, {}}, ValueKind::Binary, 0, "", std::vector<std::uint8_t>{}},
      {"empty dword", RegValue{RegType::Dword, {}}, ValueKind::Integer, 0, "", std::nullopt},
      {"string without NUL", RegValue{RegType::String, Utf16(u"abc", false)}, ValueKind::String, 6, "abc",
       std::nullopt},
      {"string ends at the first NUL", RegValue{RegType::String, Utf16(std::u16string(u"ab\0cd", 5))},
       ValueKind::String, 12, "ab", std::nullopt},
      {"odd byte count", RegValue{RegType::String, oddString}, ValueKind::String, 5, "ab", std::nullopt},
      {"non-ASCII text", RegValue::Text(unicode), ValueKind::String,
       static_cast<std::int64_t>(unicode16.size() * 2 + 2), unicode, std::nullopt},
      {"text over 2048 bytes", RegValue{RegType::String, Utf16(longText)}, ValueKind::String, 6002,
       std::string(3000, 'x'), std::nullopt},
      {"binary of 2048 bytes", RegValue{RegType::Binary, blob2048}, ValueKind::Binary, 2048, std::nullopt,
       blob2048},
      {"binary over 2048 bytes", RegValue{RegType::Binary, blob2049}, ValueKind::Binary, 2049, std::nullopt,
       std::nullopt},
      {"absent", std::nullopt, ValueKind::Unknown, -1, "", std::vector<std::uint8_t>{}},
  };

  OpenCreated("Typed");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string name = std::string("V ") + c.label;
    if (c.value) store_->WriteValue(name, *c.value);
    EXPECT_EQ(store_->HasValue(name), c.value.has_value());
    EXPECT_EQ(store_->ValueKind(name), c.kind);
    EXPECT_EQ(store_->ValueSize(name), c.size);
    if (c.text) {
      EXPECT_EQ(store_->ReadText(name), *c.text);
    } else {
      EXPECT_EQ(ErrorOf([&] { store_->ReadText(name); }), "Invalid data type for '" + name + "'");
    }
    std::vector<std::uint8_t> buffer(2048, 0x5A);
    if (c.bytes) {
      std::size_t got = 0;
      EXPECT_EQ(ErrorOf([&] { got = store_->ReadBytes(name, buffer.data(), buffer.size()); }), "(no error)");
      ASSERT_EQ(got, c.bytes->size());
      EXPECT_TRUE(std::equal(c.bytes->begin(), c.bytes->end(), buffer.begin()));
      // Nothing is written past the data (and nothing at all for an absent value).
      EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(got), buffer.end(),
                              [](std::uint8_t b) { return b == 0x5A; }));
    } else {
      EXPECT_EQ(ErrorOf([&] { store_->ReadBytes(name, buffer.data(), buffer.size()); }),
                "Invalid data type for '" + name + "'");
    }
  }
}

TEST_P(RegistryContract, ReadNumberAndReadBytesCapacity) {
  OpenCreated("Numbers");
  store_->WriteValue("minus", RegValue::Number(static_cast<std::uint32_t>(-5)));
  store_->WriteValue("max", RegValue::Number(0xFFFFFFFFu));
  store_->WriteText("text", "12");
  EXPECT_EQ(store_->ReadNumber("minus"), -5);
  EXPECT_EQ(store_->ReadNumber("max"), -1);
  EXPECT_EQ(ErrorOf([&] { store_->ReadNumber("text"); }), "Invalid data type for 'text'");
  EXPECT_EQ(ErrorOf([&] { store_->ReadNumber("absent"); }), "Invalid data type for 'absent'");

  const std::vector<std::uint8_t> blob(3000, 0x11);
  store_->WriteValue("blob", RegValue{RegType::Binary, blob});
  std::vector<std::uint8_t> buffer(4096);
  EXPECT_EQ(store_->ReadBytes("blob", buffer.data(), 3000), 3000u);
  EXPECT_EQ(ErrorOf([&] { store_->ReadBytes("blob", buffer.data(), 2999); }), "Invalid data type for 'blob'");
}

TEST_P(RegistryContract, WriteValueRoundTripsByteForByte) {
  std::vector<RegValue> values = {
      RegValue{RegType::String, Utf16(u"plain")},
      RegValue{RegType::String, Utf16(u"no terminator", false)},
      RegValue{RegType::String, {'x', 0}},
      RegValue{RegType::String, {'x'}},
      RegValue{RegType::String, {'a', 0, 'b'}},
      RegValue{RegType::ExpandString, Utf16(u"%TEMP%", false)},
      RegValue{RegType::MultiString, {'a', 0, 0, 0, 'b', 0}},
      RegValue{RegType::String, {}},
      RegValue{RegType::Binary, {0, 0xFF, 0, 0x80}},
      RegValue{RegType::Binary, std::vector<std::uint8_t>(1023, 7)},
      RegValue{RegType::Binary, std::vector<std::uint8_t>(1024, 8)},
      RegValue{RegType::Binary, std::vector<std::uint8_t>(1025, 9)},
      RegValue{RegType::Binary, std::vector<std::uint8_t>(70000, 0xEE)},
      RegValue{RegType::Dword, {1, 2, 3, 4}},
      RegValue{RegType::Dword, {1, 2}},
      RegValue{RegType::DwordBigEndian, {0, 0, 0, 1}},
      RegValue{RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}},
      RegValue{RegType::None, {}},
      RegValue{0x1234u, {5, 6}},
  };
  const auto nameOf = [](std::size_t i) { return std::string("v").append(std::to_string(i)); };
  OpenCreated("RoundTrip");
  for (std::size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string name = nameOf(i);
    store_->WriteValue(name, values[i]);
    const auto back = store_->QueryValue(name);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->type, values[i].type);
    EXPECT_EQ(back->data.size(), values[i].data.size());
    EXPECT_TRUE(back->data == values[i].data);
  }
  // A second store sees the same bytes (nothing was only cached in the writer).
  auto other = NewStore();
  ASSERT_TRUE(other->OpenPath(Path("RoundTrip"), false));
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(other->QueryValue(nameOf(i)), values[i]) << i;
  }
  // Overwriting changes type and data.
  store_->WriteValue("v0", RegValue::Number(3));
  EXPECT_EQ(store_->QueryValue("v0"), RegValue::Number(3));
  // WriteText stores a terminated UTF-16 string.
  store_->WriteText("text", "A\xC3\xA9");
  EXPECT_EQ(store_->QueryValue("text"), (RegValue{RegType::String, {'A', 0, 0xE9, 0, 0, 0}}));
}

TEST_P(RegistryContract, WriteWithoutAnOpenKeyFails) {
  EXPECT_EQ(ErrorOf([&] { store_->WriteText("Name", "x"); }), "Failed to set data for 'Name'");
  EXPECT_EQ(ErrorOf([&] { store_->WriteValue("", RegValue::Number(1)); }), "Failed to set data for ''");
  OpenCreated("W");
  store_->ClosePath();
  EXPECT_EQ(ErrorOf([&] { store_->WriteText("After close", "x"); }), "Failed to set data for 'After close'");
  ASSERT_TRUE(store_->OpenPath(Path("W"), false));
  EXPECT_TRUE(store_->ListValues().empty());
}

TEST_P(RegistryContract, RemoveValue) {
  OpenCreated("Remove");
  store_->WriteText("", "default");
  store_->WriteText("Keep", "k");
  store_->WriteText("Drop", "d");
  EXPECT_TRUE(store_->RemoveValue("DROP"));
  EXPECT_FALSE(store_->HasValue("Drop"));
  EXPECT_FALSE(store_->RemoveValue("Drop"));
  EXPECT_FALSE(store_->RemoveValue("Never"));
  EXPECT_TRUE(store_->RemoveValue(""));
  EXPECT_FALSE(store_->HasValue(""));
  EXPECT_EQ(store_->ListValues(), std::vector<std::string>{"Keep"});
  store_->ClosePath();
  EXPECT_FALSE(store_->RemoveValue("Keep"));
  ASSERT_TRUE(store_->OpenPath(Path("Remove"), false));
  EXPECT_TRUE(store_->HasValue("Keep"));
}

TEST_P(RegistryContract, RemoveKeyTakesTheWholeTree) {
  for (const char* path : {"Tree\\A\\A1\\Deep", "Tree\\A\\A2", "Tree\\B", "Sibling"}) {
    OpenCreated(path);
    store_->WriteText("v", path);
  }
  store_->ClosePath();

  EXPECT_FALSE(store_->RemoveKey(Path("Nothing")));
  EXPECT_FALSE(store_->RemoveKey(Path("Tree\\Nothing\\Deeper")));
  // A path that names no key by its last component removes nothing.
  EXPECT_FALSE(store_->RemoveKey(Path("Tree\\")));
  EXPECT_FALSE(store_->RemoveKey(""));
  EXPECT_TRUE(store_->HasKey(Path("Tree\\A\\A1\\Deep")));

  // An open key elsewhere stays open; one inside the removed tree is closed.
  ASSERT_TRUE(store_->OpenPath(Path("Sibling"), false));
  EXPECT_TRUE(store_->RemoveKey(Path("tree\\b")));
  EXPECT_TRUE(store_->IsOpen());
  EXPECT_EQ(store_->ReadText("v"), "Sibling");

  ASSERT_TRUE(store_->OpenPath(Path("Tree\\A\\A1\\Deep"), false));
  EXPECT_TRUE(store_->RemoveKey(Path("Tree\\A")));
  EXPECT_FALSE(store_->IsOpen());
  EXPECT_FALSE(store_->HasKey(Path("Tree\\A")));
  EXPECT_FALSE(store_->HasKey(Path("Tree\\A\\A1\\Deep")));
  EXPECT_TRUE(store_->HasKey(Path("Tree")));
  EXPECT_TRUE(store_->HasKey(Path("Sibling")));
  EXPECT_FALSE(store_->RemoveKey(Path("Tree\\A")));

  EXPECT_TRUE(store_->RemoveKey(Path("Tree")));
  ASSERT_TRUE(store_->OpenPath(base_, false));
  EXPECT_EQ(store_->ListSubKeys(), std::vector<std::string>{"Sibling"});
}

// RemoveKey accepts only paths that OpenPath accepts: a stray backslash must never turn the
// path into one naming a bigger key, such as the parent of the key meant or a key at the top.
TEST_P(RegistryContract, RemoveKeyRefusesMalformedPaths) {
  OpenCreated("Tree\\A\\Deep");
  // A key directly below the root for the leading-backslash case; its name is the case's
  // own, so that nothing else is at stake.
  std::string top = "TidewellTop-" + base_;
  std::replace(top.begin(), top.end(), '\\', '-');
  ASSERT_TRUE(store_->OpenPath(top, true));
  store_->ClosePath();

  for (const std::string& path :
       {std::string("\\").append(top), std::string("\\\\").append(top), std::string("\\").append(Path("Tree")),
        Path("Tree\\\\A"), Path("Tree\\A\\\\Deep"), Path("Tree\\A\\\\"), Path("Tree\\A\\"), base_ + "\\\\Tree",
        std::string("\\"), std::string("\\\\"), std::string()}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(store_->RemoveKey(path));
    EXPECT_TRUE(store_->HasKey(top));
    EXPECT_TRUE(store_->HasKey(Path("Tree\\A\\Deep")));
  }
  // The same keys by well-formed paths go.
  EXPECT_TRUE(store_->RemoveKey(Path("Tree\\A")));
  EXPECT_TRUE(store_->HasKey(Path("Tree")));
  EXPECT_TRUE(store_->RemoveKey(top));
  EXPECT_FALSE(store_->HasKey(top));
}

// A symbolic link opens as the key it points at, but removing it, or a tree that holds one,
// removes the link alone: what it points at stays as it was.
TEST_P(RegistryContract, RemovingALinkNeverTouchesWhatItPointsAt) {
  OpenCreated("Target\\Child\\Grandchild");
  store_->WriteText("deep", "d");
  OpenCreated("Target\\Child");
  store_->WriteValue("n", RegValue::Number(7));
  OpenCreated("Target");
  store_->WriteText("DisplayName", "Linked");
  store_->WriteValue("", RegValue{RegType::Binary, {1, 2}});
  // An ordinary key that holds a value like a link's is no link.
  OpenCreated("Catalogue\\Fake");
  store_->WriteValue("SymbolicLinkValue", RegValue{RegType::Link, Utf16(u"\\REGISTRY\\MACHINE\\SOFTWARE", false)});
  store_->ClosePath();
  const std::vector<std::string> before = Tree(Path("Target"));
  ASSERT_EQ(before.size(), 4u);

  const std::string link = target_->MakeLink(Path("Catalogue\\Link"), Path("Target"));
  target_->MakeLink(Path("Catalogue\\Tree\\Inner"), Path("Target"));
  target_->MakeLink(Path("Catalogue\\Tree\\Inner2"), Path("Target\\Child"));
  const std::string dangling = target_->MakeLink(Path("Catalogue\\Dangling"), Path("Gone"));

  struct LinkCase {
    const char* path;
    std::optional<std::string> target;
  };
  const LinkCase links[] = {{"Catalogue\\Link", link},       {"Catalogue\\Dangling", dangling},
                            {"Target", std::nullopt},          {"Catalogue\\Tree", std::nullopt},
                            {"Catalogue\\Fake", std::nullopt}, {"Catalogue\\Missing", std::nullopt}};
  for (const auto& c : links) EXPECT_EQ(store_->LinkTarget(Path(c.path)), c.target) << c.path;
  EXPECT_EQ(store_->LinkTarget(""), std::nullopt);

  // Opened, a link reads as its target; one whose target is gone does not open.
  ASSERT_TRUE(store_->OpenPath(Path("Catalogue\\Link"), false));
  EXPECT_EQ(store_->ReadText("DisplayName"), "Linked");
  EXPECT_EQ(store_->ListSubKeys(), std::vector<std::string>{"Child"});
  store_->ClosePath();
  EXPECT_TRUE(store_->HasKey(Path("Catalogue\\Tree\\Inner\\Child\\Grandchild")));
  EXPECT_FALSE(store_->HasKey(Path("Catalogue\\Dangling")));

  EXPECT_TRUE(store_->RemoveKey(Path("Catalogue\\Link")));
  EXPECT_FALSE(store_->RemoveKey(Path("Catalogue\\Link")));
  EXPECT_TRUE(store_->RemoveKey(Path("Catalogue\\Tree")));
  EXPECT_TRUE(store_->RemoveKey(Path("Catalogue\\Dangling")));
  EXPECT_TRUE(store_->RemoveKey(Path("Catalogue\\Fake")));
  ASSERT_TRUE(store_->OpenPath(Path("Catalogue"), false));
  EXPECT_TRUE(store_->ListSubKeys().empty());
  EXPECT_EQ(Tree(Path("Target")), before);
}

TEST_P(RegistryContract, HasKeyOpensNothing) {
  OpenCreated("Probe\\Child");
  store_->WriteText("v", "child");
  EXPECT_TRUE(store_->HasKey(Path("Probe")));
  EXPECT_TRUE(store_->HasKey(Path("PROBE\\child")));
  EXPECT_TRUE(store_->HasKey(Path("Probe\\")));
  EXPECT_FALSE(store_->HasKey(Path("Probe\\Child\\Grandchild")));
  EXPECT_FALSE(store_->HasKey(Path("Prob")));
  // The key open before is still the one open.
  EXPECT_TRUE(store_->IsOpen());
  EXPECT_EQ(store_->ReadText("v"), "child");
  // The probe holds nothing: the key can be removed right after.
  store_->ClosePath();
  EXPECT_TRUE(store_->HasKey(Path("Probe\\Child")));
  EXPECT_TRUE(store_->RemoveKey(Path("Probe\\Child")));
  EXPECT_FALSE(store_->HasKey(Path("Probe\\Child")));
}

TEST_P(RegistryContract, PathSyntax) {
  OpenCreated("Syntax\\Key");
  store_->WriteText("v", "here");
  struct Case {
    std::string path;
    bool opens;
  };
  const Case cases[] = {
      {Path("Syntax\\Key"), true},
      {Path("Syntax\\Key\\"), true},  // one trailing backslash is tolerated
      {Path("Syntax\\Key\\\\"), false},
      {Path("Syntax\\\\Key"), false},
      {std::string("\\").append(Path("Syntax\\Key")), false},
      {"\\", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(store_->OpenPath(c.path, false), c.opens);
    EXPECT_EQ(store_->IsOpen(), c.opens);
    if (c.opens) {
      EXPECT_EQ(store_->ReadText("v"), "here");
    }
    EXPECT_EQ(store_->HasKey(c.path), c.opens);
  }
  // Creating with a trailing backslash makes the key of that name; bad paths make nothing.
  ASSERT_TRUE(store_->OpenPath(Path("Syntax\\Made\\"), true));
  EXPECT_FALSE(store_->OpenPath(Path("Syntax\\\\Bad"), true));
  EXPECT_FALSE(store_->OpenPath(Path("Syntax\\Bad\\\\"), true));
  ASSERT_TRUE(store_->OpenPath(Path("Syntax"), false));
  EXPECT_EQ(store_->ListSubKeys(), (std::vector<std::string>{"Key", "Made"}));
}

TEST_P(RegistryContract, StoresShareTheRegistry) {
  auto writer = NewStore();
  ASSERT_TRUE(writer->OpenPath(Path("Shared"), true));
  writer->WriteText("v", "one");
  OpenCreated("Shared");
  EXPECT_EQ(store_->ReadText("v"), "one");
  writer->WriteText("v", "two");
  EXPECT_EQ(store_->ReadText("v"), "two");
  writer.reset();
  EXPECT_EQ(store_->ReadText("v"), "two");
}

}  // namespace tw::test
