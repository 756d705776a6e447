#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "FormTestSupport.h"
#include "catalogue/UninstallKeyTools.h"
#include "forms/FormMain.h"
#include "forms/FormUninstallLog.h"
#include "support/Catalogue.h"
#include "win32/WinText.h"

namespace tw {
namespace {

constexpr const char* kLogPath = "C:\\Tidewell\\ULOG.TXT";
const std::string kHeader =
    "\r\nTidewell Uninstall Log\r\nContains information about programs you have uninstalled from your computer\r\n\r\n";
const std::vector<std::string> kHeaderLines = {
    "", "Tidewell Uninstall Log", "Contains information about programs you have uninstalled from your computer", ""};
const std::string kClearQuestion =
    "Are you sure you want to clear the contents of the uninstall log?\r\n\r\nWARNING: All information about the "
    "programs you have uninstalled from your computer will be lost.";

class LogViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    test::AddEntry(h.fake.registry, RootKey::LocalMachine, "Demo", "Demo App", "un.exe");
    form = test::OpenMainWindow(h.services);
  }
  // Opens the viewer from the main window's menu and runs a script on it.
  void View(std::function<void(TUninstallLogBox&)> script) {
    h.modal.scripts.push_back([script](ModalForm& dialog) { script(static_cast<TUninstallLogBox&>(dialog)); });
    h.menus.choices.push_back(TfrmMain::CmdUninstallLog);
    form->cmdOtherOptionsClick();
    EXPECT_EQ(h.modal.leftOpen, 0);
  }
  std::string Log() { return h.fake.files.Contents(kLogPath); }

  test::FormHarness h;
  std::unique_ptr<TfrmMain> form;
};

TEST_F(LogViewer, WithoutALogReportsTheErrorOpensEmptyAndClearingCreatesTheHeader) {
  View([&](TUninstallLogBox& box) {
    EXPECT_EQ(WindowText(box.Caption()), "Uninstall Log");
    RECT rc;
    ::GetClientRect(box.Handle(), &rc);
    EXPECT_EQ(rc.right, box.Scale(624));
    EXPECT_EQ(rc.bottom, box.Scale(352));
    ASSERT_EQ(h.prompts.shown.size(), 1u);
    EXPECT_EQ(h.prompts.shown[0].text,
              "Cannot open file \"C:\\Tidewell\\ULOG.TXT\". The system cannot find the file specified.");
    EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
    EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(box.Lines().empty());
    EXPECT_EQ(WindowText(box.Memo()), "");
    h.prompts.answers.push_back(IDYES);
    test::Click(box.Control(TUninstallLogBox::IdClearLog));
    EXPECT_EQ(h.prompts.shown.size(), 2u);
    EXPECT_EQ(box.Lines(), kHeaderLines);
    EXPECT_EQ(::SendMessageW(box.Memo(), EM_GETLINECOUNT, 0, 0), 4);
    EXPECT_TRUE(box.Running());
    test::PressKey(box, box.Memo(), VK_RETURN);
    EXPECT_TRUE(box.Running()) << "Enter does nothing here";
    test::PressKey(box, box.Memo(), VK_ESCAPE);
    EXPECT_FALSE(box.Running());
  });
  EXPECT_EQ(Log(), kHeader);
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"Uninstall Log"}));
}

TEST_F(LogViewer, ShowsEveryLineWhateverEndsIt) {
  // Written in the ANSI code page: 0xE9 is e acute.
  h.fake.files.AddFile(kLogPath, "first\r\nsecond\rthird\nf\xE9te\r\n\r\nlast");
  View([&](TUninstallLogBox& box) {
    EXPECT_TRUE(h.prompts.shown.empty());
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"first", "second", "third", "f\xC3\xA9te", "", "last"}));
    EXPECT_EQ(WindowText(box.Memo()), "first\r\nsecond\r\nthird\r\nf\xC3\xA9te\r\n\r\nlast");
    test::Click(box.Control(TUninstallLogBox::IdClose));
    EXPECT_FALSE(box.Running());
  });
}

TEST_F(LogViewer, ANulCharacterIsShownAndPrintedAsABlank) {
  using namespace std::string_literals;
  // An editor's NUL, and a log re-saved as UTF-16: neither cuts the memo's text short.
  h.fake.files.AddFile(kLogPath, "first\0line\r\nlast"s);
  View([&](TUninstallLogBox& box) {
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"first line", "last"}));
    EXPECT_EQ(WindowText(box.Memo()), "first line\r\nlast");
    test::Click(box.Control(TUninstallLogBox::IdPrint));
    test::Click(box.Control(TUninstallLogBox::IdClose));
  });
  ASSERT_EQ(h.printers.jobs.size(), 1u);
  EXPECT_EQ(h.printers.jobs[0]->Lines(), (std::vector<std::string>{"first line", "last"}));

  h.fake.files.AddFile(kLogPath, "\xFF\xFEL\0o\0g\0"s);
  View([&](TUninstallLogBox& box) {
    EXPECT_EQ(WindowText(box.Memo()), "\xC3\xBF\xC3\xBEL o g ");
    test::Click(box.Control(TUninstallLogBox::IdClose));
  });
}

// Prompts that note whether the main window could be used while a message showed, and
// close the dialog that showed it, as its OK button would end the viewer's run here.
class OwnerProbePrompts : public Prompts {
 public:
  explicit OwnerProbePrompts(HWND main) : main_(main) {}
  int Show(HWND owner, const std::string& text, const std::optional<std::string>&, unsigned) override {
    shown.push_back(text);
    mainEnabled.push_back(::IsWindowEnabled(main_) != FALSE);
    ::PostMessageW(owner, WM_CLOSE, 0, 0);
    return IDOK;
  }
  std::vector<std::string> shown;
  std::vector<bool> mainEnabled;

 private:
  HWND main_;
};

TEST_F(LogViewer, TheMissingLogIsReportedOverADisabledMainWindow) {
  OwnerProbePrompts prompts(form->Handle());
  Win32ModalRunner runner;
  Services services{h.fake.platform, h.process, h.shell,       prompts,         h.menus,
                    runner,          h.printers, h.fileDialogs, h.log, h.services.exeFolder, {}};
  TUninstallLogBox box(services);
  EXPECT_EQ(runner.Run(box, form->Handle()), kModalCancel);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].rfind("Cannot open file", 0), 0u);
  EXPECT_EQ(prompts.mainEnabled, std::vector<bool>{false}) << "the user could act on the main window under it";
  EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
  EXPECT_EQ(box.Handle(), nullptr);
}

TEST_F(LogViewer, NoOrCancelToTheClearQuestionChangesNothing) {
  const std::string log = kHeader + "\r\n12/8/2026\r\nUninstalling Demo App\r\n";
  for (int answer : {IDNO, IDCANCEL}) {
    SCOPED_TRACE(answer);
    h.fake.files.AddFile(kLogPath, log);
    h.prompts.shown.clear();
    View([&](TUninstallLogBox& box) {
      const std::vector<std::string> before = box.Lines();
      h.prompts.answers.push_back(answer);
      test::Click(box.Control(TUninstallLogBox::IdClearLog));
      ASSERT_EQ(h.prompts.shown.size(), 1u);
      EXPECT_EQ(h.prompts.shown[0].text, kClearQuestion);
      EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Confirm"));
      EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_YESNOCANCEL | MB_ICONSTOP));
      EXPECT_EQ(box.Lines(), before);
      EXPECT_EQ(box.Lines().size(), 7u);
      test::Click(box.CloseImage());
    });
    EXPECT_EQ(Log(), log);
  }
}

TEST_F(LogViewer, AReadOnlyLogIsReportedWhenClearingAndKeepsItsText) {
  const std::string log = kHeader + "\r\n12/8/2026\r\nUninstalling Demo App\r\n";
  h.fake.files.AddFile(kLogPath, log, true);
  View([&](TUninstallLogBox& box) {
    const std::vector<std::string> before = box.Lines();
    h.prompts.answers.push_back(IDYES);
    test::Click(box.Control(TUninstallLogBox::IdClearLog));
    ASSERT_EQ(h.prompts.shown.size(), 2u);
    EXPECT_EQ(h.prompts.shown[1].text, "Cannot create file \"C:\\Tidewell\\ULOG.TXT\". Access is denied.");
    EXPECT_EQ(h.prompts.shown[1].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(box.Lines(), before);
    EXPECT_EQ(WindowText(box.Memo()).find("Uninstalling Demo App") != std::string::npos, true);
    EXPECT_TRUE(box.Running());
    test::Click(box.Control(TUninstallLogBox::IdClose));
  });
  EXPECT_EQ(Log(), log);
}

TEST_F(LogViewer, EditLogClosesAndOpensTheFileEvenWhenNothingOpens) {
  for (std::intptr_t shellResult : {std::intptr_t{42}, std::intptr_t{2}}) {
    SCOPED_TRACE(shellResult);
    h.shell.result = shellResult;
    h.shell.opened.clear();
    h.prompts.shown.clear();
    View([&](TUninstallLogBox& box) {
      test::Click(box.Control(TUninstallLogBox::IdEditLog));
      EXPECT_FALSE(box.Running());
    });
    EXPECT_EQ(h.shell.opened, (std::vector<std::string>{kLogPath}));
    EXPECT_EQ(h.prompts.shown.size(), 1u) << "only the missing log's report";
  }
}

TEST_F(LogViewer, PrintsEveryLineOnTheChosenPrinter) {
  h.fake.files.AddFile(kLogPath, kHeader + "\r\n12/8/2026\r\nUninstalling Demo App\r\n");
  View([&](TUninstallLogBox& box) {
    h.printers.confirm.push_back(false);  // the print dialog cancelled
    test::Click(box.Control(TUninstallLogBox::IdPrint));
    EXPECT_EQ(h.printers.dialogsShown, 1);
    EXPECT_TRUE(h.printers.jobs.empty());
    test::Click(box.Control(TUninstallLogBox::IdPrint));
    EXPECT_TRUE(box.Running());
    test::PressKey(box, box.Memo(), VK_ESCAPE);
  });
  ASSERT_EQ(h.printers.jobs.size(), 1u);
  const test::RecordingSurface& job = *h.printers.jobs[0];
  EXPECT_EQ(job.Lines(), (std::vector<std::string>{"Tidewell Uninstall Log",
                                                    "Contains information about programs you have uninstalled from "
                                                    "your computer",
                                                    "12/8/2026", "Uninstalling Demo App"}));
  // Empty lines take their place too: the first text stands one empty line down.
  EXPECT_EQ(job.pieces.front().y, job.cellHeight);
  EXPECT_TRUE(job.ended);
  EXPECT_EQ(job.openPages, 0);
  EXPECT_EQ(h.printers.titles, (std::vector<std::string>{"Uninstall Log"}));
}

TEST_F(LogViewer, ALongLogShowsItsNewestPartButIsPrintedAndClearedWhole) {
  std::string log = kHeader;
  char line[32];
  for (int i = 1; i <= 100000; ++i) {
    std::snprintf(line, sizeof line, "line %010d\r\n", i);
    log += line;
  }
  ASSERT_EQ(log.size(), 1700105u);
  h.fake.files.AddFile(kLogPath, log);
  View([&](TUninstallLogBox& box) {
    // The newest 512 KB, from the first line that starts in them, below the notice.
    const std::vector<std::string>& lines = box.Lines();
    ASSERT_EQ(lines.size(), 30841u);
    EXPECT_EQ(lines[0], "[The first 1.1 MB of the log are not shown here. EDIT LOG opens all of it.]");
    EXPECT_EQ(lines[1], "line 0000069161");
    EXPECT_EQ(lines.back(), "line 0000100000");
    const std::string top =
        "[The first 1.1 MB of the log are not shown here. EDIT LOG opens all of it.]\r\nline 0000069161\r\n";
    EXPECT_EQ(WindowText(box.Memo()).substr(0, top.size()), top);
    EXPECT_EQ(h.fake.files.bytesRead, 524289u) << "more than the part shown was read";

    test::Click(box.Control(TUninstallLogBox::IdPrint));
    h.prompts.answers.push_back(IDYES);
    test::Click(box.Control(TUninstallLogBox::IdClearLog));
    EXPECT_EQ(box.Lines(), kHeaderLines);
    test::Click(box.Control(TUninstallLogBox::IdClose));
  });
  EXPECT_EQ(h.prompts.shown.size(), 1u) << "only the clear question";
  ASSERT_EQ(h.printers.jobs.size(), 1u);
  const std::vector<std::string> printed = h.printers.jobs[0]->Lines();
  ASSERT_EQ(printed.size(), 100002u);
  EXPECT_EQ(printed[0], "Tidewell Uninstall Log");
  EXPECT_EQ(printed[2], "line 0000000001");
  EXPECT_EQ(printed.back(), "line 0000100000");
  EXPECT_EQ(Log(), kHeader);
}

// A printer whose job fails at its second piece of text, and tells how the job ended.
class FailingPrinters : public PrinterService {
 public:
  struct Outcome {
    bool ended = false;
    bool aborted = false;
  };
  // A surface that records how its job ended.
  class Surface : public PrintSurface {
   public:
    explicit Surface(Outcome& o) : outcome(o) {}
    void BeginDocument() override {}
    void BeginPage() override {}
    void EndPage() override {}
    void EndDocument() override { outcome.ended = true; }
    void AbortDocument() override { outcome.aborted = true; }
    int PageWidth() override { return 800; }
    int PageHeight() override { return 600; }
    int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 10; }
    int TextHeight(const std::string&) override { return 20; }
    std::vector<int> CharacterExtents(std::string_view text) override {
      std::vector<int> extents;
      for (std::size_t i = 1; i <= text.size(); ++i) extents.push_back(static_cast<int>(i) * 10);
      return extents;
    }
    int CellHeight() override { return 18; }
    int AverageCharWidth() override { return 10; }
    void DrawString(int, int, const std::string&) override {
      if (++drawn > 1) throw PrintError("The printer is out of paper.");
    }
    Outcome& outcome;
    int drawn = 0;
  };
  std::unique_ptr<PrintSurface> ChoosePrinter(HWND, const std::string&) override {
    return std::make_unique<Surface>(outcome);
  }
  std::unique_ptr<PrintSurface> DefaultPrinter(const std::string&) override { return nullptr; }
  Outcome outcome;
};

TEST_F(LogViewer, APrinterErrorIsReportedAndTheJobAbandoned) {
  h.fake.files.AddFile(kLogPath, kHeader);
  FailingPrinters printers;
  Services services{h.fake.platform, h.process, h.shell,       h.prompts,       h.menus,
                    h.modal,         printers,  h.fileDialogs, h.log, h.services.exeFolder, {}};
  TUninstallLogBox box(services);
  h.modal.scripts.push_back([&](ModalForm&) {
    test::Click(box.Control(TUninstallLogBox::IdPrint));
    EXPECT_TRUE(box.Running());
    test::Click(box.Control(TUninstallLogBox::IdClose));
  });
  h.modal.Run(box, form->Handle());
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "The printer is out of paper.");
  EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(printers.outcome.aborted);
  EXPECT_FALSE(printers.outcome.ended);
}

}  // namespace
}  // namespace tw
