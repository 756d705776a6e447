// The details view on the real dialog, opened from the main window.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string_view>

#include "FormTestSupport.h"
#include "forms/Controls.h"
#include "forms/FormMain.h"
#include "forms/FormProgramDetails.h"
#include "support/Catalogue.h"
#include "util/CorFileInfoTools.h"
#include "win32/WinText.h"

namespace tw {
namespace {

using test::AddEntry;
using test::kUninstallKey;
using test::SetValue;

const std::string kKey = std::string(kUninstallKey) + "\\App";

class ProgramDetails : public ::testing::Test {
 protected:
  void SetUp() override { AddEntry(h.fake.registry, RootKey::LocalMachine, "App", "My App", "C:\\App\\unins.exe"); }

  void Set(const std::string& name, const RegValue& value) {
    SetValue(h.fake.registry, RootKey::LocalMachine, kKey, name, value);
  }

  // Opens the main window and the details of its selected row; `script` runs on the dialog.
  void ShowDetails(const std::function<void(TProgramDetailsBox&)>& script) {
    form = test::OpenMainWindow(h.services);
    h.modal.scripts.push_back([&, script](ModalForm& dialog) {
      auto& box = static_cast<TProgramDetailsBox&>(dialog);
      script(box);
      if (box.Running()) test::PressKey(box, box.OkButton(), VK_ESCAPE);
    });
    form->RunCommand(TfrmMain::CmdProgramDetails);
    EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"Program Details"}));
    EXPECT_EQ(h.modal.leftOpen, 0);
  }

  // The text of each row by caption, as the dialog shows it.
  // The "Install Date:" row of a fresh catalogue's only entry storing `stored`, shown through
  // `services` (which run on `harness`).
  static std::string ShownInstallDate(test::FormHarness& harness, Services& services, const std::string& stored) {
    AddEntry(harness.fake.registry, RootKey::LocalMachine, "App", "My App", "x");
    SetValue(harness.fake.registry, RootKey::LocalMachine, kKey, "InstallDate", RegValue::Text(stored));
    TfrmMain main(services);
    main.Create();
    std::string shown = "(no dialog)";
    harness.modal.scripts.push_back([&shown](ModalForm& dialog) {
      auto& box = static_cast<TProgramDetailsBox&>(dialog);
      shown = Shown(box, "Install Date:");
      box.cmdOKClick();
    });
    main.RunCommand(TfrmMain::CmdProgramDetails);
    return shown;
  }

  static std::string Shown(TProgramDetailsBox& box, const std::string& caption) {
    const auto* row = box.FindRow(caption);
    return row == nullptr ? std::string("(none)") : WindowText(row->valueLabel);
  }

  test::FormHarness h;
  std::unique_ptr<TfrmMain> form;
};

TEST_F(ProgramDetails, RowsNotShownTakeNoSpaceAndGroupBreaksAlwaysDo) {
  ShowDetails([&](TProgramDetailsBox& box) {
    std::vector<std::pair<std::string, int>> rows;
    for (const auto& row : box.Rows()) rows.emplace_back(row.caption, row.top);
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, int>>{{"Program Name:", 24}, {"Uninstall Command:", 88}, {" ", 130}}));
    // The labels stand where the rows say, in the scroll box.
    for (const auto& row : box.Rows()) {
      RECT caption, value;
      ::GetWindowRect(row.captionLabel, &caption);
      ::GetWindowRect(row.valueLabel, &value);
      ::MapWindowPoints(nullptr, box.TheScrollBox(), reinterpret_cast<POINT*>(&caption), 2);
      ::MapWindowPoints(nullptr, box.TheScrollBox(), reinterpret_cast<POINT*>(&value), 2);
      EXPECT_EQ(caption.left, box.Scale(16)) << row.caption;
      EXPECT_EQ(value.left, box.Scale(150)) << row.caption;
      EXPECT_EQ(caption.top, box.Scale(row.top)) << row.caption;
      EXPECT_EQ(value.top, box.Scale(row.top)) << row.caption;
      EXPECT_EQ(::GetParent(row.valueLabel), box.TheScrollBox());
    }
    EXPECT_EQ(Shown(box, "Program Name:"), "My App");
    EXPECT_EQ(Shown(box, "Uninstall Command:"), "C:\\App\\unins.exe");
    EXPECT_EQ(WindowText(box.Caption()), "Program Details");
    RECT client;
    ::GetClientRect(box.Handle(), &client);
    EXPECT_EQ(client.right, box.Scale(536));
    EXPECT_EQ(client.bottom, box.Scale(392));
  });
}

TEST_F(ProgramDetails, EveryDetailInItsPlaceWithItsLinkKind) {
  const std::pair<const char*, const char*> values[] = {
      {"Publisher", "Maker"}, {"DisplayVersion", "1.2"}, {"Contact", "Jo"}, {"HelpTelephone", "555"},
      {"URLInfoAbout", "https://maker.example/"}, {"HelpLink", "https://maker.example/help"},
      {"Readme", "C:\\App\\readme.txt"}, {"URLUpdateInfo", "https://maker.example/up"}, {"Comments", "Nice"},
      {"ModifyPath", "C:\\App\\setup.exe /modify"}, {"DisplayIcon", "C:\\App\\app.exe,0"}, {"Language", "1033"},
      {"InstallSource", "D:\\"}, {"InstallLocation", "C:\\App"}, {"ProductID", "PID-1"}, {"RegOwner", "Me"},
      {"RegCompany", "Us"}, {"InstallDate", "20030415"}};
  for (const auto& [name, text] : values) Set(name, RegValue::Text(text));
  Set("WindowsInstaller", RegValue::Number(1));
  ShowDetails([&](TProgramDetailsBox& box) {
    struct Expected {
      std::string caption;
      int top;
      int kind;
    };
    const std::vector<Expected> expected = {
        {"Program Name:", 24, 0},        {"Install Date:", 44, 0},        {"Publisher:", 86, 0},
        {"Version:", 106, 0},            {"Contact:", 126, 0},            {"Contact Phone:", 146, 0},
        {"About:", 166, 1},              {"Support Information:", 186, 1}, {"Readme:", 206, 1},
        {"Product Updates:", 226, 1},    {"Comments:", 246, 0},           {"Uninstall Command:", 288, 2},
        {"Modify Command:", 308, 2},     {"Display Icon:", 328, 0},       {"Language:", 348, 0},
        {"Source:", 368, 1},             {"Location:", 388, 1},           {"Install Program:", 408, 0},
        {"Product ID:", 450, 0},         {"Owner:", 470, 0},              {"Owner company:", 490, 0},
        {" ", 510, 0}};
    ASSERT_EQ(box.Rows().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(box.Rows()[i].caption, expected[i].caption);
      EXPECT_EQ(box.Rows()[i].top, expected[i].top) << expected[i].caption;
      EXPECT_EQ(box.Rows()[i].linkKind, expected[i].kind) << expected[i].caption;
    }
    EXPECT_EQ(Shown(box, "Install Program:"), "Windows Installer");
    EXPECT_EQ(Shown(box, "Location:"), "C:\\App");
    // The column outgrows the box: it scrolls, and scrolling moves the rows.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(box.TheScrollBox(), SB_VERT, &info));
    EXPECT_EQ(info.nMax + 1, box.Scale(530));
    ::SendMessageW(box.TheScrollBox(), WM_VSCROLL, SB_BOTTOM, 0);
    RECT last;
    ::GetWindowRect(box.Rows().back().valueLabel, &last);
    ::MapWindowPoints(nullptr, box.TheScrollBox(), reinterpret_cast<POINT*>(&last), 2);
    RECT client;
    ::GetClientRect(box.TheScrollBox(), &client);
    EXPECT_LE(last.bottom, client.bottom);
    EXPECT_EQ(last.top, box.Scale(510) - box.ScrollArea().Position().y);
  });
}

TEST_F(ProgramDetails, SizeOrEstimatedSize) {
  struct Case {
    const char* what;
    std::int64_t usageBytes;  // 0: no usage record
    std::optional<RegValue> estimated;
    std::string size;       // the "Size:" row, or "(none)"
    std::string estimate;   // the "Estimated Size:" row, or "(none)"
  };
  const Case cases[] = {
      // The list's size text is right-aligned in a field of ten; here it lines up with the
      // other values.
      {"size text wins", 5 << 20, RegValue::Number(2048), "5.0 MB", "(none)"},
      {"size text with separators", std::int64_t{2560} << 20, std::nullopt, "2,560.0 MB", "(none)"},
      {"estimate in kilobytes", 0, RegValue::Number(2048), "(none)", "2.0 MB"},
      {"estimate as text", 0, RegValue::Text("1"), "(none)", "1,024 bytes"},
      {"negative estimate", 0, RegValue::Number(static_cast<std::uint32_t>(-5)), "(none)", "(none)"},
      {"no estimate", 0, std::nullopt, "(none)", "(none)"},
      {"estimate too large for bytes", 0, RegValue::Text("9223372036854775807"), "(none)", "(none)"},
      {"negative estimate too large for bytes", 0, RegValue::Text("-10000000000000000"), "(none)", "(none)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::FormHarness fresh;
    AddEntry(fresh.fake.registry, RootKey::LocalMachine, "App", "My App", "x");
    if (c.usageBytes > 0) {
      test::AddUsage(fresh.fake.registry, "App",
                     RegValue{RegType::Binary, test::UsageRecordBytes(c.usageBytes, 0, 0, u"")});
    }
    if (c.estimated) SetValue(fresh.fake.registry, RootKey::LocalMachine, kKey, "EstimatedSize", *c.estimated);
    TfrmMain main(fresh.services);
    main.Create();
    fresh.modal.scripts.push_back([&](ModalForm& dialog) {
      auto& box = static_cast<TProgramDetailsBox&>(dialog);
      EXPECT_EQ(Shown(box, "Size:"), c.size);
      EXPECT_EQ(Shown(box, "Estimated Size:"), c.estimate);
      // Only the size row carries the tooltip.
      const LRESULT tools = ::SendMessageW(box.Tooltip(), TTM_GETTOOLCOUNT, 0, 0);
      EXPECT_EQ(tools, c.size == "(none)" ? 0 : 1);
      box.cmdOKClick();
    });
    main.RunCommand(TfrmMain::CmdProgramDetails);
    EXPECT_TRUE(fresh.prompts.shown.empty());
    if (c.usageBytes > 0) {
      EXPECT_EQ(main.Programs().Text(0, ListColumn::Size).size(), 13u);  // the list's text stays
    }
  }
}

TEST_F(ProgramDetails, TheSizeTooltip) {
  test::AddUsage(h.fake.registry, "App", RegValue{RegType::Binary, test::UsageRecordBytes(5 << 20, 0, 0, u"")});
  ShowDetails([&](TProgramDetailsBox& box) {
    ASSERT_EQ(::SendMessageW(box.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(::SendMessageW(box.Tooltip(), TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(reinterpret_cast<HWND>(tool.uId), box.FindRow("Size:")->valueLabel);
    EXPECT_EQ(Narrow(text),
              "This is the estimated amount of disk space this program (including folders and subfolders) occupies.");
  });
}

TEST_F(ProgramDetails, AnEstimateThatIsNoNumberIsReportedAndTheOtherRowsStay) {
  Set("EstimatedSize", RegValue::Text("12 MB"));
  Set("Publisher", RegValue::Text("Maker"));
  Set("ProductID", RegValue::Text("PID"));
  ShowDetails([&](TProgramDetailsBox& box) {
    ASSERT_EQ(h.prompts.shown.size(), 1u);  // reported while the dialog was made
    EXPECT_EQ(h.prompts.shown[0].text, "'12 MB' is not a valid integer value");
    EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
    EXPECT_EQ(h.prompts.shown[0].flags & MB_ICONMASK, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_EQ(Shown(box, "Estimated Size:"), "(none)");
    EXPECT_EQ(Shown(box, "Publisher:"), "Maker");
    EXPECT_EQ(Shown(box, "Product ID:"), "PID");
    EXPECT_TRUE(box.Running());
  });
}

TEST_F(ProgramDetails, ValuesThatCannotBeReadAsTextShowNoRowAndTheFirstFailureIsReportedOnce) {
  Set("Publisher", RegValue::Text("Maker"));
  Set("Readme", RegValue{RegType::None, std::vector<std::uint8_t>(3000, 'r')});
  // (A multi-string is text and shows whole however long; a link of that length is not.)
  Set("Comments", RegValue{RegType::Link, std::vector<std::uint8_t>(5000, 'c')});
  Set("ProductID", RegValue::Text("PID"));
  ShowDetails([&](TProgramDetailsBox& box) {
    ASSERT_EQ(h.prompts.shown.size(), 1u);  // reported while the dialog was made
    EXPECT_EQ(h.prompts.shown[0].text, "Invalid data type for 'Readme'");
    EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
    EXPECT_EQ(h.prompts.shown[0].flags & MB_ICONMASK, static_cast<unsigned>(MB_ICONERROR));
    std::vector<std::pair<std::string, int>> rows;
    for (const auto& row : box.Rows()) rows.emplace_back(row.caption, row.top);
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, int>>{{"Program Name:", 24},
                                                             {"Publisher:", 66},
                                                             {"Uninstall Command:", 108},
                                                             {"Product ID:", 150},
                                                             {" ", 170}}));
    EXPECT_TRUE(box.Running());
  });
}

// A locale that, like the system's, formats no day before 1601.
class LocaleFrom1601 : public test::FixedLocale {
 public:
  std::string ShortDate(const DateTime& date) override {
    return date.year < 1601 ? std::string() : FixedLocale::ShortDate(date);
  }
};

TEST_F(ProgramDetails, AnInstallDateTheLocaleCannotFormatShowsAsStored) {
  const std::pair<const char*, const char*> cases[] = {
      {"16000229", "16000229"}, {"00010101", "00010101"}, {"16010101", "1/1/1601"}};
  for (const auto& [stored, shown] : cases) {
    test::FormHarness fresh;
    LocaleFrom1601 locale;
    Platform platform{fresh.fake.registry, fresh.fake.files, locale, fresh.fake.timeZone, fresh.fake.clock,
                      fresh.fake.ansi};
    Services services{platform,       fresh.process,  fresh.shell,       fresh.prompts, fresh.menus,
                      fresh.modal,    fresh.printers, fresh.fileDialogs, fresh.log, "C:\\Tidewell\\", {}};
    EXPECT_EQ(ShownInstallDate(fresh, services, stored), shown) << stored;
  }
}

TEST_F(ProgramDetails, InstallDates) {
  const std::pair<const char*, const char*> cases[] = {
      {"20030415", "4/15/2003"},  {"19991231", "12/31/1999"}, {"20000229", "2/29/2000"},
      {"2003-04-15", "2003-04-15"}, {"2003041", "2003041"},   {"00000415", "00000415"},
      {"20030015", "20030015"},   {"not date", "not date"},   {"20031301", "20031301"},
      {"20030230", "20030230"},   {"19000229", "19000229"},   {"2003041x", "2003041x"},
  };
  for (const auto& [stored, shown] : cases) {
    test::FormHarness fresh;
    EXPECT_EQ(ShownInstallDate(fresh, fresh.services, stored), shown) << stored;
  }
}

TEST_F(ProgramDetails, InstallProgramOnlyForWindowsInstallerReadingOne) {
  const std::pair<std::optional<RegValue>, bool> cases[] = {
      {RegValue::Number(1), true},  {RegValue::Text("1"), true},   {RegValue::Number(0), false},
      {RegValue::Text("01"), false}, {RegValue::Text("1 "), false}, {std::nullopt, false},
  };
  int i = 0;
  for (const auto& [value, shown] : cases) {
    test::FormHarness fresh;
    AddEntry(fresh.fake.registry, RootKey::LocalMachine, "App", "My App", "x");
    if (value) SetValue(fresh.fake.registry, RootKey::LocalMachine, kKey, "WindowsInstaller", *value);
    TfrmMain main(fresh.services);
    main.Create();
    fresh.modal.scripts.push_back([&, shown = shown](ModalForm& dialog) {
      auto& box = static_cast<TProgramDetailsBox&>(dialog);
      EXPECT_EQ(Shown(box, "Install Program:"), shown ? "Windows Installer" : "(none)") << "case " << i;
      box.cmdOKClick();
    });
    main.RunCommand(TfrmMain::CmdProgramDetails);
    ++i;
  }
}

TEST_F(ProgramDetails, LinksOpenAndRunAndReportTheirFailures) {
  Set("HelpLink", RegValue::Text("https://maker.example/help"));
  Set("InstallLocation", RegValue::Text("C:\\App"));
  Set("ModifyPath", RegValue::Text("C:\\App\\setup.exe /modify"));
  Set("Comments", RegValue::Text("plain"));
  ShowDetails([&](TProgramDetailsBox& box) {
    test::Click(box.FindRow("Support Information:")->valueLabel);
    test::Click(box.FindRow("Location:")->valueLabel);
    test::Click(box.FindRow("Modify Command:")->valueLabel);
    test::Click(box.FindRow("Uninstall Command:")->valueLabel);
    test::Click(box.FindRow("Comments:")->valueLabel);  // plain text does nothing
    EXPECT_EQ(h.shell.opened, (std::vector<std::string>{"https://maker.example/help", "C:\\App"}));
    EXPECT_EQ(h.process.started, (std::vector<std::string>{"C:\\App\\setup.exe /modify", "C:\\App\\unins.exe"}));
    EXPECT_TRUE(h.prompts.shown.empty());

    h.shell.result = 2;  // file not found
    h.process.succeed = false;
    test::Click(box.FindRow("Location:")->valueLabel);
    test::Click(box.FindRow("Modify Command:")->valueLabel);
    ASSERT_EQ(h.prompts.shown.size(), 2u);
    EXPECT_EQ(h.prompts.shown[0].text,
              "There was an error opening the file or executing the program. Make sure the path and filename are "
              "correct and that all required libraries are available.");
    EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("C:\\App"));
    EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(h.prompts.shown[1].text,
              "There was an error executing the program. Make sure the path and filename are correct and that "
              "all required libraries are available.");
    EXPECT_EQ(h.prompts.shown[1].caption, std::optional<std::string>("C:\\App\\setup.exe /modify"));
    EXPECT_EQ(h.prompts.shown[1].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(box.Running());  // the dialog stays open
  });
}

// What today's catalogues hold: the quiet command is shown (not a link: a click would remove
// the program without a question), a 64-bit size reads, a link opens one text (a
// multi-string's first), and an expandable link is expanded when opened.
TEST_F(ProgramDetails, QuietCommandNumbersListsAndExpandableLinks) {
  using namespace std::string_view_literals;
  ::SetEnvironmentVariableW(L"TIDEWELL_DETAILS_TEST", L"D:\\Apps");
  Set("QuietUninstallString", RegValue::Text("C:\\App\\unins.exe /S"));
  Set("EstimatedSize", test::QwordValue(6291456));
  Set("HelpLink", test::MultiValue(u"https://a.example/\0https://b.example/\0\0"sv));
  Set("InstallLocation", RegValue::Text("%TIDEWELL_DETAILS_TEST%\\Gannet", RegType::ExpandString));
  Set("ModifyPath", RegValue::Text("%TIDEWELL_DETAILS_TEST%\\setup.exe /modify", RegType::ExpandString));
  Set("Readme", RegValue::Text("%TIDEWELL_DETAILS_TEST%\\readme.txt"));  // a plain string stays as it is
  ShowDetails([&](TProgramDetailsBox& box) {
    const TProgramDetailsBox::DetailRow* quiet = box.FindRow("Quiet Uninstall Command:");
    ASSERT_NE(quiet, nullptr);
    EXPECT_EQ(quiet->value, "C:\\App\\unins.exe /S");
    EXPECT_EQ(quiet->linkKind, TProgramDetailsBox::PlainText);
    EXPECT_EQ(quiet->top, box.FindRow("Uninstall Command:")->top + 20);
    // Its caption is wider than the caption column: the values move right, all alike, and
    // no caption runs under its value.
    const RECT quietCaption = test::RectIn(box.TheScrollBox(), quiet->captionLabel);
    const RECT quietValue = test::RectIn(box.TheScrollBox(), quiet->valueLabel);
    EXPECT_GT(quietValue.left, box.Scale(150));
    for (const auto& row : box.Rows()) {
      EXPECT_EQ(test::RectIn(box.TheScrollBox(), row.valueLabel).left, quietValue.left) << row.caption;
    }
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(quiet->captionLabel, WM_GETFONT, 0, 0));
    EXPECT_LE(quietCaption.left + TextExtentIn(quiet->captionLabel, font, Widen(quiet->caption)).cx, quietValue.left);
    EXPECT_EQ(Shown(box, "Estimated Size:"), "6.00 GB");
    EXPECT_EQ(Shown(box, "Support Information:"), "https://a.example/");
    EXPECT_EQ(Shown(box, "Location:"), "%TIDEWELL_DETAILS_TEST%\\Gannet");
    for (const char* link : {"Support Information:", "Location:", "Readme:", "Modify Command:", "Quiet Uninstall Command:"}) {
      test::Click(box.FindRow(link)->valueLabel);
    }
    EXPECT_EQ(h.shell.opened, (std::vector<std::string>{"https://a.example/", "D:\\Apps\\Gannet",
                                                        "%TIDEWELL_DETAILS_TEST%\\readme.txt"}));
    EXPECT_EQ(h.process.started, (std::vector<std::string>{"D:\\Apps\\setup.exe /modify"}));
  });
  EXPECT_TRUE(h.prompts.shown.empty());  // the 64-bit size reads without an error
  ::SetEnvironmentVariableW(L"TIDEWELL_DETAILS_TEST", nullptr);
}

TEST_F(ProgramDetails, EscClosesEnterDoesNothingAndTheListIsNotRescanned) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Other", "Other", "y");
  ShowDetails([&](TProgramDetailsBox& box) {
    test::PressKey(box, box.OkButton(), VK_RETURN);
    EXPECT_TRUE(box.Running());
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    store->RemoveKey(std::string(kUninstallKey) + "\\Other");
    test::PressKey(box, box.OkButton(), VK_ESCAPE);
    EXPECT_FALSE(box.Running());
  });
  EXPECT_EQ(form->RowCount(), 2);  // still listed: no rescan after the details
}

TEST_F(ProgramDetails, AVanishedKeyShowsOnlyTheRowTexts) {
  test::AddUsage(h.fake.registry, "App",
                 RegValue{RegType::Binary, test::UsageRecordBytes(5 << 20, test::FileTimeOf(2025, 5, 5, 12), 7, u"")});
  form = std::make_unique<TfrmMain>(h.services);
  form->Create();
  auto store = h.fake.registry.NewStore();
  store->SelectRoot(RootKey::LocalMachine);
  store->RemoveKey(kKey);
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TProgramDetailsBox&>(dialog);
    std::vector<std::string> captions;
    for (const auto& row : box.Rows()) captions.push_back(row.caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"Size:", "Used:", "Last Used:", " "}));
    EXPECT_EQ(Shown(box, "Size:"), "5.0 MB");
    EXPECT_EQ(Shown(box, "Used:"), "occasionally");
    EXPECT_EQ(Shown(box, "Last Used:"), "2025-05-05");
    box.cmdOKClick();
  });
  form->RunCommand(TfrmMain::CmdProgramDetails);
  EXPECT_TRUE(h.prompts.shown.empty());
}

}  // namespace
}  // namespace tw
