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
  Fill({UsedRow("Used", 5242880, FileTimeOf(2025, 1, 2, 10), 11), Row("Plain", "uninst.exe /S"),
        UsedRow("Unknown", -1, 0, 0x80000000u)});
  const char* const expected[][7] = {
      {"Plain", "HKEY_LOCAL_MACHINE\\X\\Plain", "", "", "", "", "uninst.exe /S"},
      {"Unknown", "HKEY_LOCAL_MACHINE\\X\\Unknown", "C:\\Unknown.exe", "", "", "", "cmd"},
      {"Used", "HKEY_LOCAL_MACHINE\\X\\Used", "C:\\Used.exe", "       5.0 MB", "2025-01-02", "frequently", "cmd"},
  };
  ASSERT_EQ(list.Count(), 3);
  for (int position = 0; position < 3; ++position) {
    for (int column = 0; column < kListColumnCount; ++column) {
      EXPECT_EQ(list.Text(position, static_cast<ListColumn>(column)), expected[position][column])
          << position << "," << column;
    }
  }
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
      {6, true, {"c", "b", "a"}},  // equal commands keep no defined order; the rest are ordered
  };
  int selected = 1;  // "b" stays selected through every sort
  for (const auto& step : steps) {
    selected = list.ColumnClick(step.column, selected);
    EXPECT_EQ(list.SortColumn(), step.column);
    EXPECT_EQ(list.SortAscending(), step.ascending);
    EXPECT_EQ(list.OrderColumn(), step.column);
    EXPECT_EQ(list.OrderAscending(), step.ascending);
    if (step.column != 6) {
      EXPECT_EQ(Captions(), step.order) << step.column;
    }
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
