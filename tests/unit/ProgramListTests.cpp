#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/ProgramList.h"
#include "support/Fakes.h"

namespace tw {
namespace {

using test::FileTimeOf;

ProgramEntry Row(const std::string& caption, const std::string& command = "cmd") {
  ProgramEntry row;
  row.caption = caption;
  row.catalogueKeyPath = std::make_shared<const std::string>("HKEY_LOCAL_MACHINE\\X\\");
  row.keyName = caption;
  row.command = command;
  return row;
}

ProgramEntry UsedRow(const std::string& caption, std::int64_t size, std::uint64_t lastUse, std::uint32_t count) {
  ProgramEntry row = Row(caption);
  row.hasUsage = true;
  row.usage.size = size;
  row.usage.lastUse = lastUse;
  row.usage.useCount = count;
  row.usage.target = "C:\\" + caption + ".exe";
  return row;
}

class ProgramListTest : public ::testing::Test {
 protected:
  void Fill(std::vector<ProgramEntry> rows) {
    list.Clear();
    for (auto& row : rows) list.AddRow(std::move(row));
    list.ShowInNameOrder();
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const ProgramEntry* row : list.Shown()) captions.push_back(row->caption);
    return captions;
  }
  test::FixedLocale locale;
  test::FixedOffsetTimeZone zone;
  ProgramList list{locale, zone};
};

TEST_F(ProgramListTest, ColumnsShowTheRowsFieldsAsTexts) {
  ProgramEntry described = Row("Described");
  described.publisher = "Quenmark";
  described.version = "10.2.1";
  described.installDate = "20240229";
  described.estimatedSizeKb = 5120;  // no usage record: the Size column shows the estimate
  ProgramEntry usedAndEstimated = UsedRow("Used", 5242880, FileTimeOf(2025, 1, 2, 10), 11);
  usedAndEstimated.estimatedSizeKb = 1;  // the usage record's size wins
  usedAndEstimated.installDate = "29.02.2024";
  ProgramEntry unknown = UsedRow("Unknown", -1, 0, 0x80000000u);
  unknown.estimatedSizeKb = 2048;  // a record with an unknown size shows none
  Fill({std::move(usedAndEstimated), Row("Plain", "uninst.exe /S"), std::move(unknown), std::move(described)});
  const char* const expected[][kListColumnCount] = {
      {"Described", "HKEY_LOCAL_MACHINE\\X\\Described", "", "       5.0 MB", "", "", "Quenmark", "10.2.1",
       "2024-02-29", "cmd"},
      {"Plain", "HKEY_LOCAL_MACHINE\\X\\Plain", "", "", "", "", "", "", "", "uninst.exe /S"},
      {"Unknown", "HKEY_LOCAL_MACHINE\\X\\Unknown", "C:\\Unknown.exe", "", "", "", "", "", "", "cmd"},
      {"Used", "HKEY_LOCAL_MACHINE\\X\\Used", "C:\\Used.exe", "       5.0 MB", "2025-01-02", "frequently", "", "",
       "29.02.2024", "cmd"},
  };
  ASSERT_EQ(list.Count(), 4);
  for (int position = 0; position < 4; ++position) {
    for (int column = 0; column < kListColumnCount; ++column) {
      EXPECT_EQ(list.Text(position, static_cast<ListColumn>(column)), expected[position][column])
          << position << "," << column;
      EXPECT_EQ(ColumnTextEmpty(list.At(position), static_cast<ListColumn>(column)),
                std::string(expected[position][column]).empty())
          << position << "," << column;
    }
  }
}

// Installed On shows eight digits yyyymmdd of a calendar day like Last Used On, and any other
// text as it is stored.
TEST(InstalledOn, DaysAsYearMonthDayOtherTextsAsStored) {
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"20030415", "2003-04-15"}, {"20240229", "2024-02-29"}, {"20000229", "2000-02-29"},
      {"00010101", "0001-01-01"}, {"99991231", "9999-12-31"}, {"", ""},
      {"20230229", "20230229"},   // no leap year
      {"19000229", "19000229"},   // nor is 1900
      {"20031301", "20031301"},   {"20030431", "20030431"},   {"20030400", "20030400"},
      {"00000415", "00000415"},   {"2003041", "2003041"},     {"200304150", "200304150"},
      {"2003-04-15", "2003-04-15"}, {"15/04/2003", "15/04/2003"}, {"+2003041", "+2003041"},
      {" 2003041", " 2003041"},   {"2003041x", "2003041x"},   {"yesterday", "yesterday"},
  };
  for (const auto& c : cases) EXPECT_EQ(InstalledOnText(c.stored), c.shown) << c.stored;
}

TEST_F(ProgramListTest, AColumnIsEmptyWhenEveryRowsTextIs) {
  Fill({Row("A"), UsedRow("B", -1, 0, 0x80000000u)});
  EXPECT_TRUE(list.ColumnIsEmpty(ListColumn::Size));
  EXPECT_TRUE(list.ColumnIsEmpty(ListColumn::LastUsedOn));
  EXPECT_TRUE(list.ColumnIsEmpty(ListColumn::Frequency));
  EXPECT_FALSE(list.ColumnIsEmpty(ListColumn::Target));
  Fill({Row("A"), UsedRow("B", 0, 1, 0x7FFFFFFFu)});
  EXPECT_FALSE(list.ColumnIsEmpty(ListColumn::Size));
  EXPECT_FALSE(list.ColumnIsEmpty(ListColumn::LastUsedOn));
  EXPECT_FALSE(list.ColumnIsEmpty(ListColumn::Frequency));
  Fill({});
  EXPECT_TRUE(list.ColumnIsEmpty(ListColumn::Name));
}

TEST_F(ProgramListTest, ColumnClicksSortAndKeepTheSelectedRow) {
  Fill({UsedRow("b", 3 * 1048576, 0, 0), UsedRow("a", 20 * 1048576, 0, 0), UsedRow("c", 1048576, 0, 0)});
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a", "b", "c"}));
  list.ResetSortState();  // as a new window: one click on Name on the empty list
  EXPECT_EQ(list.SortColumn(), 0);
  EXPECT_FALSE(list.SortAscending());

  struct Step {
    int column;
    bool ascending;
    std::vector<std::string> order;
  };
  const Step steps[] = {
      {0, true, {"a", "b", "c"}},
      {0, false, {"c", "b", "a"}},
      {3, true, {"c", "b", "a"}},  // Size texts are right-aligned: they sort by magnitude
      {3, false, {"a", "b", "c"}},
      {9, true, {"a", "b", "c"}},  // equal commands keep the order they stood in
  };
  int selected = 1;  // "b" stays selected through every sort
  for (const auto& step : steps) {
    selected = list.ColumnClick(step.column, selected);
    EXPECT_EQ(list.SortColumn(), step.column);
    EXPECT_EQ(list.SortAscending(), step.ascending);
    EXPECT_EQ(list.OrderColumn(), step.column);
    EXPECT_EQ(list.OrderAscending(), step.ascending);
    EXPECT_EQ(Captions(), step.order) << step.column;
    EXPECT_EQ(list.At(selected).caption, "b");
  }
  EXPECT_EQ(list.ColumnClick(0, -1), -1);

  // A refresh shows name order again, whatever was sorted before.
  Fill({Row("z"), Row("y")});
  EXPECT_EQ(Captions(), (std::vector<std::string>{"y", "z"}));
  EXPECT_EQ(list.OrderColumn(), 0);
  EXPECT_TRUE(list.OrderAscending());
  EXPECT_EQ(list.SortColumn(), 0);  // the sort state stays as the last click left it
  EXPECT_TRUE(list.SortAscending());
}

TEST_F(ProgramListTest, CompareRowsFollowsTheDirection) {
  const ProgramEntry a = Row("a"), b = Row("b");
  list.ResetSortState();
  EXPECT_EQ(list.CompareRows(a, b, 0), 1);  // descending after the first click at creation
  list.ColumnClick(0, -1);
  EXPECT_EQ(list.CompareRows(a, b, 0), -1);
  EXPECT_EQ(list.CompareRows(a, a, 0), 0);
}

// Size, Version and Installed On sort by what they mean, not by their texts; what is unknown
// comes first in ascending order.
TEST_F(ProgramListTest, SizeVersionAndInstalledOnSortByMeaning) {
  const auto estimated = [](const char* caption, std::int64_t kb) {
    ProgramEntry row = Row(caption);
    row.estimatedSizeKb = kb;
    return row;
  };
  const auto versioned = [](const char* caption, const char* version) {
    ProgramEntry row = Row(caption);
    row.version = version;
    return row;
  };
  const auto installed = [](const char* caption, const char* date) {
    ProgramEntry row = Row(caption);
    row.installDate = date;
    return row;
  };
  struct Case {
    const char* what;
    std::vector<ProgramEntry> rows;
    ListColumn column;
    std::vector<std::string> ascending;
  };
  Case cases[] = {
      {"sizes: usage records and estimates by bytes, unknown first",
       {UsedRow("a 3 MB", 3 << 20, 0, 0), estimated("b 1 MB estimated", 1024), Row("c unknown"),
        estimated("d 2 GB estimated", 2 << 20), UsedRow("e 1.5 MB", 3 << 19, 0, 0), estimated("g 0 KB estimated", 0),
        // Texts alike ("1.0 MB"), bytes not; the largest estimate kept, 2^53 bytes.
        UsedRow("x 1,050,000 bytes", 1050000, 0, 0), UsedRow("y 1,048,577 bytes", 1048577, 0, 0),
        estimated("z 2^53 bytes", (std::int64_t{1} << 53) / 1024)},
       ListColumn::Size,
       {"c unknown", "g 0 KB estimated", "b 1 MB estimated", "y 1,048,577 bytes",
        "x 1,050,000 bytes", "e 1.5 MB", "a 3 MB", "d 2 GB estimated", "z 2^53 bytes"}},
      {"versions by their parts",
       {versioned("a", "10.2"), versioned("b", "9.14"), versioned("c", "9.2"), versioned("d", "1.10"),
        versioned("e", "1.9"), versioned("f", ""), versioned("g", "1.2"), versioned("h", "1.2.1"),
        versioned("i", "1.2 Beta"), versioned("j", "v2"), versioned("k", "2.0"), versioned("l", "1.2 alpha"),
        versioned("m", "2024.1 (x64)"), versioned("n", "0.98.3"), versioned("o", "1.00.0003"),
        versioned("p", std::string(1 << 20, '9').c_str())},
       ListColumn::Version,
       {"f", "j", "n", "o", "g", "l", "i", "h", "e", "d", "k", "c", "b", "a", "m", "p"}},
      {"install dates by day; other texts after the empty ones, before every day",
       {installed("a", "20240101"), installed("b", ""), installed("c", "not a date"), installed("d", "20231231"),
        installed("e", "20230229"), installed("f", "20240315"), installed("g", "19991231")},
       ListColumn::InstalledOn,
       {"b", "e", "c", "g", "d", "a", "f"}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fill(std::move(c.rows));
    list.ResetSortState();
    list.ColumnClick(static_cast<int>(c.column), -1);
    EXPECT_EQ(Captions(), c.ascending);
    list.ColumnClick(static_cast<int>(c.column), -1);
    const std::vector<std::string> descending(c.ascending.rbegin(), c.ascending.rend());
    EXPECT_EQ(Captions(), descending);
    EXPECT_EQ(list.CompareRows(*list.Shown().front(), *list.Shown().back(), static_cast<int>(c.column)), -1);
  }
}

// System components, updates and parts of other entries are what the system's own list leaves
// out; the list can hide them too, and then the search, the reports and the switches see
// only what it shows.
TEST_F(ProgramListTest, SystemComponentsAndUpdatesCanBeHidden) {
  const auto hidden = [](const char* caption, bool component, bool update) {
    ProgramEntry row = Row(caption);
    row.systemComponent = component;
    row.update = update;
    row.publisher = component ? "Maker" : "";
    return row;
  };
  const auto fill = [&] {
    Fill({Row("a"), hidden("b component", true, false), Row("c"), hidden("d update", false, true),
          hidden("e both", true, true), Row("f")});
  };
  fill();
  EXPECT_TRUE(list.ShowsSystemComponents());
  EXPECT_EQ(list.Count(), 6);

  // Ordered by name descending, "d update" selected: hiding keeps the order and loses the
  // selected row, so the row now at its place is selected.
  list.ResetSortState();
  list.ColumnClick(0, -1);
  list.ColumnClick(0, -1);
  EXPECT_EQ(list.ShowSystemComponents(false, 2), 2);
  EXPECT_FALSE(list.ShowsSystemComponents());
  EXPECT_EQ(Captions(), (std::vector<std::string>{"f", "c", "a"}));
  EXPECT_EQ(list.Find("d update", false, true, -1), -1);
  EXPECT_EQ(list.Find("update", true, true, -1), -1);
  EXPECT_EQ(list.Find("c", false, true, -1), 1);
  // The hidden rows' texts still keep their columns from collapsing.
  EXPECT_FALSE(list.ColumnIsEmpty(ListColumn::Publisher));

  // Shown again, they take their places in the order the list stands in; a selected row
  // stays selected.
  EXPECT_EQ(list.ShowSystemComponents(true, 0), 0);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"f", "e both", "d update", "c", "b component", "a"}));
  EXPECT_EQ(list.ShowSystemComponents(false, 3), 1);  // "c" moves up
  EXPECT_EQ(list.ShowSystemComponents(true, 1), 3);

  struct Reselect {
    int selected;
    int after;
  };
  // Hiding from the whole list: a hidden row gives its place to the row now there, or to
  // none past the end; a row that stays is followed.
  for (const Reselect& r : {Reselect{1, 1}, Reselect{4, -1}, Reselect{5, 2}, Reselect{-1, -1}, Reselect{6, -1}}) {
    ASSERT_EQ(list.ShowSystemComponents(true, -1), -1);
    EXPECT_EQ(list.ShowSystemComponents(false, r.selected), r.after) << r.selected;
  }

  // A new scan keeps them hidden until they are shown again.
  fill();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a", "c", "f"}));
  list.ShowSystemComponents(true, -1);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a", "b component", "c", "d update", "e both", "f"}));
}

TEST_F(ProgramListTest, FindSearchesCaptionsAfterTheSelectedRowAndWraps) {
  ProgramEntry nameless = Row("<no name>");
  nameless.named = false;
  Fill({Row("Alpha Tool"), Row("Beta"), Row("Gamma tool"), Row("TOOLS"), nameless});
  // Shown: "<no name>", "Alpha Tool", "Beta", "Gamma tool", "TOOLS".
  struct Case {
    const char* text;
    bool substring;
    bool silent;
    int selected;
    int found;
  };
  const Case cases[] = {
      {"tool", true, false, 1, 3},       // after the selected row
      {"tool", true, false, 4, 1},       // wraps
      {"tool", true, false, 3, 4},
      {"Tool", true, false, -1, 1},      // nothing selected: from row 1
      {"beta", false, false, 0, 2},      // whole name, without case
      {"bet", false, true, 0, -1},       // whole names only
      {"", true, false, 0, -1},          // nothing, for an empty text
      {"alpha tool", false, true, 1, 1}, // silent starts after row 0: the start row is tested last
      {"<no name>", false, true, 2, -1}, // never the placeholder of a row without a name
      {"<no name>", true, false, 2, 0},  // a substring search may show it
      {"zzz", true, false, 1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(list.Find(c.text, c.substring, c.silent, c.selected), c.found) << c.text << " from " << c.selected;
  }
  Fill({});
  EXPECT_EQ(list.Find("x", true, true, -1), -1);
}

TEST_F(ProgramListTest, ReselectionAfterARefreshIsByPosition) {
  Fill({Row("a"), Row("b"), Row("c")});
  EXPECT_EQ(list.ReselectAfterRefresh(2), 2);
  EXPECT_EQ(list.ReselectAfterRefresh(3), -1);
  EXPECT_EQ(list.ReselectAfterRefresh(-1), -1);
}

}  // namespace
}  // namespace tw
