#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <chrono>

#include "FormTestSupport.h"
#include "catalogue/UninstallKeyTools.h"
#include "forms/FormMain.h"
#include "forms/FormDeleteKey.h"
#include "forms/FormUninstall.h"
#include "support/Catalogue.h"
#include "support/RegistryLinks.h"
#include "support/ScratchFolder.h"
#include "win32/ShellServices.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Process.h"
#include "win32/Win32Registry.h"
#include "win32/WinText.h"

namespace tw {
namespace {

using test::AddEntry;
using test::kUninstallKey;

constexpr const char* kLogPath = "C:\\Tidewell\\ULOG.TXT";
constexpr const char* kWhen = "12/8/2026 2:05:09 PM";  // the fixed clock in the fixed locale
const std::string kHeader =
    "\r\nTidewell Uninstall Log\r\nContains information about programs you have uninstalled from your computer\r\n\r\n";
const std::string kDemoKey = std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\\Demo";

std::string Started(const std::string& name) { return "\r\n" + std::string(kWhen) + "\r\nUninstalling " + name + "\r\n"; }
const std::string kFailedLine = "Running uninstall command failed.\r\n";
const std::string kOkLine = "Uninstall OK. Uninstaller removed program from list.\r\n";
const std::string kIncompleteLine =
    "Uninstaller did not complete the uninstall process or did not remove program from list.\r\n";
const std::string kCleanedLine = "Removed from list by Tidewell.\r\n";

// Moves the fixed clock on by `ms` milliseconds (within the day).
void Advance(test::FixedClock& clock, int ms) {
  DateTime& t = clock.now;
  int total = ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond + ms;
  t.millisecond = total % 1000;
  total /= 1000;
  t.second = total % 60;
  total /= 60;
  t.minute = total % 60;
  t.hour = total / 60;
}

// A user's pause before the next action: the system's double-click time goes by, after which
// a page's button acts. From the fixed clock's start, one pause stays within its second.
void Pause(test::FixedClock& clock) { Advance(clock, static_cast<int>(::GetDoubleClickTime())); }

class UninstallDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    AddEntry(H().fake.registry, RootKey::LocalMachine, "Demo", "Demo App", "C:\\Demo\\uninstall.exe /x");
    AddEntry(H().fake.registry, RootKey::LocalMachine, "Other", "Other Tool", "C:\\Other\\remove.exe");
  }
  TfrmMain& Open() {
    form = test::OpenMainWindow(H().services);
    return *form;
  }
  void SelectCaption(const std::string& caption) {
    const int row = test::RowWithCaption(*form, caption);
    ASSERT_GE(row, 0) << caption;
    form->SelectRow(row);
  }
  bool Listed(const std::string& caption) { return test::RowWithCaption(*form, caption) >= 0; }
  void RemoveKey(const std::string& sub) {
    auto store = H().fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    store->RemoveKey(std::string(kUninstallKey) + "\\" + sub);
  }
  bool KeyExists(const std::string& sub) {
    return UninstallKeyExists(H().fake.registry, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\\" + sub);
  }
  std::string Log() { return H().fake.files.Contents(kLogPath); }
  void Pause() { tw::Pause(H().fake.clock); }

  // A fresh harness and catalogue, for tables that walk several times.
  void Reset() {
    form.reset();
    hp = std::make_unique<test::FormHarness>();
    SetUp();
  }
  test::FormHarness& H() { return *hp; }

  std::unique_ptr<test::FormHarness> hp = std::make_unique<test::FormHarness>();
  std::unique_ptr<TfrmMain> form;
};

// One user action on the dialog, and what must show after it.
struct Step {
  enum Kind { ClickButton, PressKey, ClickCloseImage, UninstallerRemovesKey } kind;
  int what = 0;         // a control id or a virtual key
  int pageAfter = -1;   // -1: the dialog must have closed
  bool cancelAfter = false;
};

struct Walk {
  const char* name;
  std::vector<Step> steps;
  std::string logAfter;  // the whole log file afterwards ("" when none may exist)
  bool keyRemains;
  bool started;          // whether the uninstall command was started
};

TEST_F(UninstallDialog, EveryRowOfTheStateTable) {
  using S = Step;
  const int UNINSTALL = TUninstallBox::IdAddRemove, CONTINUE = TUninstallBox::IdDone;
  const int CLEANUP = TUninstallBox::IdCleanup, CLOSE = TUninstallBox::IdClose, CANCEL = TUninstallBox::IdCancel;
  const std::string started = kHeader + Started("Demo App");
  const Walk walks[] = {
      {"CANCEL on page 0", {{S::ClickButton, CANCEL}}, "", true, false},
      {"Esc on page 0", {{S::PressKey, VK_ESCAPE}}, "", true, false},
      {"close image on page 0", {{S::ClickCloseImage}}, "", true, false},
      {"Esc on page 1 although CANCEL is hidden",
       {{S::PressKey, VK_RETURN, 1, false}, {S::PressKey, VK_ESCAPE}}, started, true, true},
      {"close image on page 1", {{S::ClickButton, UNINSTALL, 1, false}, {S::ClickCloseImage}}, started, true, true},
      {"entry left: Enter through CLEAN-UP",
       {{S::PressKey, VK_RETURN, 1, false}, {S::PressKey, VK_RETURN, 2, true}, {S::PressKey, VK_RETURN}},
       started + kIncompleteLine + kCleanedLine, false, true},
      {"entry left: buttons through CLEAN-UP",
       {{S::ClickButton, UNINSTALL, 1, false}, {S::ClickButton, CONTINUE, 2, true}, {S::ClickButton, CLEANUP}},
       started + kIncompleteLine + kCleanedLine, false, true},
      {"entry left: CANCEL on page 2",
       {{S::ClickButton, UNINSTALL, 1, false}, {S::ClickButton, CONTINUE, 2, true}, {S::ClickButton, CANCEL}},
       started + kIncompleteLine, true, true},
      {"entry left: Esc on page 2",
       {{S::ClickButton, UNINSTALL, 1, false}, {S::ClickButton, CONTINUE, 2, true}, {S::PressKey, VK_ESCAPE}},
       started + kIncompleteLine, true, true},
      {"entry removed: CLOSE on page 3",
       {{S::ClickButton, UNINSTALL, 1, false},
        {S::UninstallerRemovesKey, 0, 1, false},
        {S::ClickButton, CONTINUE, 3, false},
        {S::ClickButton, CLOSE}},
       started + kOkLine, false, true},
      {"entry removed: Enter on page 3",
       {{S::PressKey, VK_RETURN, 1, false},
        {S::UninstallerRemovesKey, 0, 1, false},
        {S::PressKey, VK_RETURN, 3, false},
        {S::PressKey, VK_RETURN}},
       started + kOkLine, false, true},
      {"entry removed: Esc on page 3",
       {{S::ClickButton, UNINSTALL, 1, false},
        {S::UninstallerRemovesKey, 0, 1, false},
        {S::ClickButton, CONTINUE, 3, false},
        {S::PressKey, VK_ESCAPE}},
       started + kOkLine, false, true},
      {"buttons of hidden pages do nothing",
       {{S::ClickButton, CONTINUE, 0, true}, {S::ClickButton, CLEANUP, 0, true}, {S::ClickButton, CLOSE, 0, true},
        {S::ClickButton, CANCEL}},
       "", true, false},
  };
  for (const Walk& walk : walks) {
    SCOPED_TRACE(walk.name);
    Reset();
    Open();
    SelectCaption("Demo App");
    H().modal.scripts.push_back([&](ModalForm& dialog) {
      auto& box = static_cast<TUninstallBox&>(dialog);
      EXPECT_EQ(box.PageIndex(), 0);
      EXPECT_TRUE(box.CancelShown());
      // Added behind the list's back: listed afterwards only if the list was rescanned.
      AddEntry(H().fake.registry, RootKey::LocalMachine, "Late", "Late Arrival", "late.exe");
      for (std::size_t i = 0; i < walk.steps.size(); ++i) {
        const Step& step = walk.steps[i];
        SCOPED_TRACE("step " + std::to_string(i));
        Pause();
        switch (step.kind) {
          case Step::ClickButton: test::Click(box.Control(step.what)); break;
          case Step::PressKey: test::PressKey(box, box.ContentPanel(), static_cast<UINT>(step.what)); break;
          case Step::ClickCloseImage: test::Click(box.CloseImage()); break;
          case Step::UninstallerRemovesKey: RemoveKey("Demo"); break;
        }
        if (step.pageAfter < 0) {
          EXPECT_FALSE(box.Running());
          EXPECT_EQ(i + 1, walk.steps.size());
        } else {
          EXPECT_TRUE(box.Running());
          EXPECT_EQ(box.PageIndex(), step.pageAfter);
          EXPECT_EQ(box.CancelShown(), step.cancelAfter);
          for (int page = 0; page < 4; ++page) {
            EXPECT_EQ(::IsWindowVisible(box.Page(page)) != FALSE, page == step.pageAfter) << "page " << page;
          }
        }
      }
    });
    form->cmdUninstallClick();
    EXPECT_EQ(H().modal.titles, (std::vector<std::string>{"Uninstall"}));
    EXPECT_EQ(H().modal.leftOpen, 0);
    EXPECT_EQ(Log(), walk.logAfter);
    EXPECT_EQ(H().fake.files.Exists(kLogPath), !walk.logAfter.empty());
    EXPECT_EQ(KeyExists("Demo"), walk.keyRemains);
    EXPECT_EQ(Listed("Demo App"), walk.keyRemains);
    EXPECT_TRUE(Listed("Late Arrival")) << "the list is rescanned in every case";
    EXPECT_EQ(H().process.started,
              walk.started ? std::vector<std::string>{"C:\\Demo\\uninstall.exe /x"} : std::vector<std::string>{});
    EXPECT_TRUE(H().prompts.shown.empty());
    form.reset();
  }
}

TEST_F(UninstallDialog, ShowsTheProgramAndItsFrame) {
  Open();
  SelectCaption("Other Tool");
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    EXPECT_EQ(WindowText(box.Caption()), "Uninstall");
    RECT rc;
    ::GetClientRect(box.Handle(), &rc);
    EXPECT_EQ(rc.right, box.Scale(428));
    EXPECT_EQ(rc.bottom, box.Scale(309));
    // The band is 30 high: the content panel begins there.
    RECT panel;
    ::GetWindowRect(box.ContentPanel(), &panel);
    POINT top{panel.left, panel.top};
    ::ScreenToClient(box.Handle(), &top);
    EXPECT_EQ(top.y, box.Scale(30));
    EXPECT_EQ(box.AppNameText(), "Other Tool");
    EXPECT_EQ(box.AppNameTip(), "Other Tool");
    EXPECT_EQ(box.KeyPath, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\\Other");
    EXPECT_EQ(box.UninstallCommand, "C:\\Other\\remove.exe");
    // The main button of every page stands at the same spot.
    const ControlLayout& main = LayoutEntry(TUninstallBox::LayoutTable(), TUninstallBox::IdAddRemove);
    RECT first;
    ::GetWindowRect(box.Control(TUninstallBox::IdAddRemove), &first);
    for (int id : {TUninstallBox::IdDone, TUninstallBox::IdCleanup, TUninstallBox::IdClose}) {
      RECT other;
      ::GetWindowRect(box.Control(id), &other);
      EXPECT_TRUE(::EqualRect(&first, &other)) << id;
      EXPECT_EQ(other.right - other.left, box.Scale(main.width));
      EXPECT_EQ(other.bottom - other.top, box.Scale(main.height));
    }
    test::Click(box.Control(TUninstallBox::IdCancel));
  });
  form->cmdUninstallClick();
}

TEST_F(UninstallDialog, TheProgressBarCyclesFrom67InStepsOf20) {
  Open();
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    std::vector<int> positions{box.ProgressPosition()};
    for (int i = 0; i < 8; ++i) {
      // The timer's own message, as the message loop delivers it every 200 ms.
      ::SendMessageW(box.Handle(), WM_TIMER, TUninstallBox::kTimerId, 0);
      positions.push_back(box.ProgressPosition());
    }
    EXPECT_EQ(positions, (std::vector<int>{67, 87, 100, 0, 20, 40, 60, 80, 100}));
    // And the timer really runs.
    const int before = box.ProgressPosition();
    const DWORD until = ::GetTickCount() + 2000;
    while (box.ProgressPosition() == before && ::GetTickCount() < until) {
      test::PumpMessages();
      ::Sleep(20);
    }
    EXPECT_NE(box.ProgressPosition(), before);
    test::PressKey(box, box.ContentPanel(), VK_ESCAPE);
  });
  form->cmdUninstallClick();
}

TEST_F(UninstallDialog, ACommandThatCannotStartIsReportedAndTestedAtOnce) {
  H().process.succeed = false;
  Open();
  SelectCaption("Demo App");
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    Pause();
    test::Click(box.Control(TUninstallBox::IdAddRemove));
    EXPECT_EQ(box.PageIndex(), 2);
    EXPECT_TRUE(box.CancelShown());
    ASSERT_EQ(H().prompts.shown.size(), 1u);
    EXPECT_EQ(H().prompts.shown[0].text,
              "There was an error executing the program. Make sure the path and filename are correct and that "
              "all required libraries are available.");
    EXPECT_EQ(H().prompts.shown[0].caption, std::optional<std::string>("C:\\Demo\\uninstall.exe /x"));
    EXPECT_EQ(H().prompts.shown[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    test::Click(box.Control(TUninstallBox::IdCancel));
  });
  form->cmdUninstallClick();
  EXPECT_EQ(Log(), kHeader + Started("Demo App") + kFailedLine + kIncompleteLine);
}

TEST_F(UninstallDialog, ARowWithoutADisplayNameIsNamedByItsKeyPath) {
  AddEntry(H().fake.registry, RootKey::LocalMachine, "Nameless", "", "C:\\Nameless\\un.exe");
  Open();
  SelectCaption("<no name>");
  const std::string key = std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\\Nameless";
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    EXPECT_EQ(box.AppNameText(), key);
    EXPECT_EQ(box.AppNameTip(), key);
    Pause();
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    test::PressKey(box, box.ContentPanel(), VK_ESCAPE);
  });
  form->cmdUninstallClick();
  EXPECT_EQ(Log(), kHeader + Started(key));
}

TEST_F(UninstallDialog, ACleanUpThatFailsIsLoggedAsSuchAndReported) {
  Open();
  SelectCaption("Demo App");
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    Pause();
    test::Click(box.Control(TUninstallBox::IdAddRemove));
    Pause();
    test::Click(box.Control(TUninstallBox::IdDone));
    ASSERT_EQ(box.PageIndex(), 2);
    Pause();
    // The registry refuses to delete the key.
    H().fake.registry.failWrite = [](const std::string& key, const std::string& value) {
      return value.empty() && key.ends_with("\\Demo");
    };
    test::Click(box.Control(TUninstallBox::IdCleanup));
    EXPECT_FALSE(box.Running());
  });
  form->cmdUninstallClick();
  EXPECT_EQ(Log(), kHeader + Started("Demo App") + kIncompleteLine +
                       "NOT Deleted - error encountered while deleting from registry.\r\n");
  ASSERT_EQ(H().prompts.shown.size(), 1u);
  EXPECT_EQ(H().prompts.shown[0].text, "Unable to delete key");
  EXPECT_EQ(H().prompts.shown[0].caption, std::nullopt);
  EXPECT_TRUE(KeyExists("Demo"));
}

TEST_F(UninstallDialog, ALogThatCannotBeWrittenIsToldOnceAndTheWalkGoesOn) {
  H().fake.files.AddFile(kLogPath, "the old log", true);  // read only
  Open();
  SelectCaption("Demo App");
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    Pause();
    test::Click(box.Control(TUninstallBox::IdAddRemove));
    ASSERT_EQ(H().prompts.shown.size(), 1u);  // as the first record fails
    Pause();
    test::Click(box.Control(TUninstallBox::IdDone));
    ASSERT_EQ(box.PageIndex(), 2);
    Pause();
    test::Click(box.Control(TUninstallBox::IdCleanup));
    EXPECT_FALSE(box.Running());
  });
  form->cmdUninstallClick();
  EXPECT_FALSE(KeyExists("Demo"));
  EXPECT_EQ(Log(), "the old log");
  ASSERT_EQ(H().prompts.shown.size(), 1u);  // once for the whole walk
  EXPECT_EQ(H().prompts.shown[0].text, "The uninstall log \"C:\\Tidewell\\ULOG.TXT\" could not be written, so this operation is not "
            "fully recorded in it.");
}

TEST_F(UninstallDialog, AnEntryGoneBeforeTheCleanUpIsLoggedAsRemovedByTheUninstaller) {
  Open();
  SelectCaption("Demo App");
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    Pause();
    test::Click(box.Control(TUninstallBox::IdAddRemove));
    Pause();
    test::Click(box.Control(TUninstallBox::IdDone));
    RemoveKey("Demo");  // a slow uninstaller finishes after CONTINUE
    Pause();
    test::Click(box.Control(TUninstallBox::IdCleanup));
  });
  form->cmdUninstallClick();
  EXPECT_EQ(Log(), kHeader + Started("Demo App") + kIncompleteLine + kOkLine);
  EXPECT_TRUE(H().prompts.shown.empty());
}

// The mouse as a person works it: a press and a release at the button's middle; with
// `doubleClick`, the press is the second of a double click.
void MouseClick(HWND button, bool doubleClick = false) {
  RECT rc;
  ::GetClientRect(button, &rc);
  const LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
  ::SendMessageW(button, doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(button, WM_LBUTTONUP, 0, at);
}

TEST_F(UninstallDialog, AClickRightAfterAPageChangeDoesNotReachTheNextPagesButton) {
  Open();
  SelectCaption("Demo App");
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    // Page 0 has just been shown: a double click that opened the dialog does not start it.
    test::Click(box.Control(TUninstallBox::IdAddRemove));
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    EXPECT_EQ(box.PageIndex(), 0);
    EXPECT_TRUE(H().process.started.empty());

    Pause();
    MouseClick(box.Control(TUninstallBox::IdAddRemove));
    ASSERT_EQ(box.PageIndex(), 1);
    // A double click on UNINSTALL: its second click meets CONTINUE at the same spot while
    // the uninstaller is still starting.
    MouseClick(box.Control(TUninstallBox::IdDone), true);
    EXPECT_EQ(box.PageIndex(), 1);

    Pause();
    MouseClick(box.Control(TUninstallBox::IdDone));
    ASSERT_EQ(box.PageIndex(), 2);
    // A double click on CONTINUE: the second click, or a quick Enter, meets CLEAN-UP before
    // the user saw page 2.
    MouseClick(box.Control(TUninstallBox::IdCleanup), true);
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    Advance(H().fake.clock, static_cast<int>(::GetDoubleClickTime()) - 1);
    test::Click(box.Control(TUninstallBox::IdCleanup));
    EXPECT_EQ(box.PageIndex(), 2);
    EXPECT_TRUE(box.Running());
    EXPECT_TRUE(KeyExists("Demo"));
    EXPECT_EQ(Log(), kHeader + Started("Demo App") + kIncompleteLine);

    // Once the double-click time has gone by, the button acts.
    Advance(H().fake.clock, 1);
    MouseClick(box.Control(TUninstallBox::IdCleanup));
    EXPECT_FALSE(box.Running());
  });
  form->cmdUninstallClick();
  EXPECT_EQ(H().process.started, std::vector<std::string>{"C:\\Demo\\uninstall.exe /x"});
  EXPECT_EQ(Log(), kHeader + Started("Demo App") + kIncompleteLine + kCleanedLine);
  EXPECT_FALSE(KeyExists("Demo"));
}

TEST_F(UninstallDialog, AHeldKeyActsOnceOnly) {
  Open();
  SelectCaption("Demo App");
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    // The repeats of a held key, as the system sends them: bit 30 says the key was down.
    const auto repeat = [&](UINT vk) {
      MSG msg{};
      msg.hwnd = box.ContentPanel();
      msg.message = WM_KEYDOWN;
      msg.wParam = vk;
      msg.lParam = (LPARAM{1} << 30) | 1;
      return box.PreTranslate(msg);
    };
    Pause();
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    ASSERT_EQ(box.PageIndex(), 1);
    // Held down past the double-click time, Enter would walk on to CONTINUE and CLEAN-UP.
    for (int i = 0; i < 3; ++i) {
      Pause();
      EXPECT_TRUE(repeat(VK_RETURN)) << "swallowed";
      EXPECT_EQ(box.PageIndex(), 1);
    }
    EXPECT_TRUE(repeat(VK_ESCAPE));
    EXPECT_TRUE(box.Running());
    // A fresh press acts.
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    EXPECT_EQ(box.PageIndex(), 2);
    test::PressKey(box, box.ContentPanel(), VK_ESCAPE);
    EXPECT_FALSE(box.Running());
  });
  form->cmdUninstallClick();
  EXPECT_EQ(Log(), kHeader + Started("Demo App") + kIncompleteLine);
  EXPECT_TRUE(KeyExists("Demo"));
}

TEST_F(UninstallDialog, TheUninstallSwitchOpensTheDialogOnTheNamedProgram) {
  H().services.request = ParseStartupRequest({"/uninstall", "other tool"});
  H().modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    EXPECT_EQ(box.AppNameText(), "Other Tool");
    test::PressKey(box, box.ContentPanel(), VK_ESCAPE);
  });
  Open();
  ::SendMessageW(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  test::PumpMessages();
  EXPECT_EQ(H().modal.titles, (std::vector<std::string>{"Uninstall"}));
  EXPECT_EQ(form->RowAt(form->SelectedIndex()).caption, "Other Tool");

  // A name that matches no row: the not-found message, and no dialog.
  Reset();
  H().services.request = ParseStartupRequest({"/UNINSTALL", "Missing Program"});
  Open();
  ::SendMessageW(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  test::PumpMessages();
  EXPECT_TRUE(H().modal.titles.empty());
  ASSERT_EQ(H().prompts.shown.size(), 1u);
  EXPECT_EQ(H().prompts.shown[0].text, "The program you are looking for (Missing Program) was not found");
  EXPECT_EQ(form->SelectedIndex(), 0);
}

// ---------------------------------------------------------------------------------------
// A catalogue entry that is a symbolic link, on Wine's real registry. Any user can make one
// in his own catalogue, pointing at any key; deleting the entry must remove the link alone.

class LinkedEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    caption_ = "Linked Entry " + Narrow(pid);
    target_ = L"Software\\TidewellTest\\LinkTarget-" + pid;
    link_ = Widen(kUninstallKey) + L"\\TidewellLink-" + pid;
    // The key pointed at: an entry's values, and keys with values below it.
    auto store = r.registry.NewStore();
    store->SelectRoot(RootKey::CurrentUser);
    ASSERT_TRUE(store->OpenPath(Narrow(target_) + "\\Sub\\Deep", true));
    store->WriteValue("deep", RegValue::Number(42));
    ASSERT_TRUE(store->OpenPath(Narrow(target_), false));
    store->WriteValue("DisplayName", RegValue::Text(caption_));
    store->WriteValue("UninstallString", RegValue::Text("C:\\Linked\\un.exe"));
    store->WriteValue("Blob", RegValue{RegType::Binary, {0, 1, 0xFE}});
    before_ = test::RegistryTree(HKEY_CURRENT_USER, target_);
    ASSERT_EQ(before_.size(), 7u);  // three keys, four values
  }
  void TearDown() override {
    Win32RegistryStore store;
    store.RemoveKey(Narrow(link_));
    store.RemoveKey(Narrow(target_));
  }
  void MakeLink() {
    ASSERT_TRUE(test::MakeRegistryLink(HKEY_CURRENT_USER, link_, test::CurrentUserNtPath(target_)));
    form = test::OpenMainWindow(r.services);
    const int row = test::RowWithCaption(*form, caption_);
    ASSERT_GE(row, 0) << "the linked entry is not listed";
    EXPECT_EQ(form->RowAt(row).KeyPath(), "HKEY_CURRENT_USER\\" + Narrow(link_));
    form->SelectRow(row);
  }
  std::string Log() { return r.fakes.fake.files.Contents(kLogPath); }

  test::RealRegistryHarness r;
  std::unique_ptr<TfrmMain> form;
  std::string caption_;
  std::wstring target_, link_;
  std::vector<std::string> before_;
};

// Delete From List and the uninstall dialog's clean-up each remove the link and log the
// deletion as for any entry; the key it points at keeps every key and value byte for byte.
TEST_F(LinkedEntry, DeletingItRemovesTheLinkAndNeverTheKeyItPointsAt) {
  MakeLink();
  r.fakes.modal.scripts.push_back(
      [](ModalForm& dialog) { test::Click(static_cast<TDeleteKeyBox&>(dialog).Control(TDeleteKeyBox::IdDelete)); });
  form->cmdDeleteFromListClick();
  EXPECT_FALSE(test::KeyItselfExists(HKEY_CURRENT_USER, link_));
  EXPECT_EQ(test::RegistryTree(HKEY_CURRENT_USER, target_), before_);
  EXPECT_EQ(test::RowWithCaption(*form, caption_), -1);
  const std::string deleted = kHeader + "\r\n" + kWhen + "\r\nDeleting entry " + caption_ + "\r\nDeleted OK.\r\n";
  EXPECT_EQ(Log(), deleted);

  MakeLink();
  r.fakes.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    Pause(r.fakes.fake.clock);
    test::Click(box.Control(TUninstallBox::IdAddRemove));
    Pause(r.fakes.fake.clock);
    test::Click(box.Control(TUninstallBox::IdDone));
    EXPECT_EQ(box.PageIndex(), 2) << "the entry still opens, as the key it points at";
    Pause(r.fakes.fake.clock);
    test::Click(box.Control(TUninstallBox::IdCleanup));
    EXPECT_FALSE(box.Running());
  });
  form->cmdUninstallClick();
  EXPECT_EQ(r.fakes.process.started, std::vector<std::string>{"C:\\Linked\\un.exe"});
  EXPECT_FALSE(test::KeyItselfExists(HKEY_CURRENT_USER, link_));
  EXPECT_EQ(test::RegistryTree(HKEY_CURRENT_USER, target_), before_);
  EXPECT_EQ(Log(), deleted + Started(caption_) + kIncompleteLine + kCleanedLine);
  EXPECT_EQ(r.fakes.modal.leftOpen, 0);
}

// ---------------------------------------------------------------------------------------
// Real uninstallers: the demo uninstaller runs as its own process against Wine's registry.

// The demo uninstaller of this build tree, beside the test program's tree.
std::wstring DemoUninstaller() {
  return Widen(ExecutableFolder()) + L"..\\..\\demo\\tidewell-demo-uninstall.exe";
}

// Processes whose executable has this file name.
int ProcessesNamed(const std::wstring& exeName) {
  UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, exeName.c_str()) == 0) ++count;
  }
  return count;
}

// A catalogue entry of the current user for one test, with a copy of the demo uninstaller
// under a name of its own in a folder whose name has blanks and characters outside the ANSI
// code page, and a log folder; all removed afterwards.
class RealUninstall : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::GetFileAttributesW(DemoUninstaller().c_str()) == INVALID_FILE_ATTRIBUTES) {
      GTEST_SKIP() << "the demo uninstaller is not built: " << Narrow(DemoUninstaller());
    }
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    folder_ = Folder();
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    exeName_ = L"demo uninstall " + pid + L".exe";
    exe_ = folder_ + L"\\" + exeName_;
    ASSERT_TRUE(::CopyFileW(DemoUninstaller().c_str(), exe_.c_str(), FALSE));
    subKey_ = std::string(kUninstallKey) + "\\TidewellTest-" + Narrow(pid);
    keyPath_ = "HKEY_CURRENT_USER\\" + subKey_;
    process_.real = true;
  }
  // A folder whose name has blanks and characters outside the ANSI code page.
  static std::wstring Folder() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"Tidewell walk \x0414\x0435\x043C\x043E \x2713 " +
           std::to_wstring(::GetCurrentProcessId());
  }
  void TearDown() override {
    if (folder_.empty()) return;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen(subKey_).c_str());
    ::DeleteFileW(exe_.c_str());
    ::DeleteFileW((folder_ + L"\\ULOG.TXT").c_str());
    test::RemoveTree(folder_ + L"\\Backups");
    ::RemoveDirectoryW(folder_.c_str());
  }
  void AddEntryFor(const std::string& command) {
    auto store = registry_.NewStore();
    store->SelectRoot(RootKey::CurrentUser);
    ASSERT_TRUE(store->OpenPath(subKey_, true));
    store->WriteValue("DisplayName", RegValue::Text("Tidewell Walk"));
    store->WriteValue("UninstallString", RegValue::Text(command));
  }
  bool EntryExists() { return UninstallKeyExists(registry_, keyPath_); }
  // Waits, as a person would, until the uninstaller has ended.
  void WaitForUninstaller() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ProcessesNamed(exeName_) > 0 && std::chrono::steady_clock::now() < until) {
      test::PumpMessages();
      ::Sleep(50);
    }
    EXPECT_EQ(ProcessesNamed(exeName_), 0) << "the uninstaller did not end";
  }
  std::string LogText() {
    std::string bytes, error;
    files_.ReadAll(Narrow(folder_) + "\\ULOG.TXT", bytes, error);
    return bytes;
  }
  // Runs the dialog as the main window would, with a script.
  void Run(const std::string& command, std::function<void(TUninstallBox&)> script) {
    TUninstallBox box(services_);
    box.ProgramName = "Tidewell Walk";
    box.UninstallCommand = command;
    box.KeyPath = keyPath_;
    modal_.scripts.push_back([&](ModalForm& dialog) { script(static_cast<TUninstallBox&>(dialog)); });
    modal_.Run(box, nullptr);
    EXPECT_EQ(modal_.leftOpen, 0);
  }
  std::string Quoted() { return "\"" + Narrow(exe_) + "\""; }

  Win32Registry registry_;
  Win32FileSystem files_;
  test::FixedLocale locale_;
  test::FixedOffsetTimeZone zone_;
  test::FixedClock clock_;
  Win32AnsiCodec ansi_;
  Platform platform_{registry_, files_, locale_, zone_, clock_, ansi_};
  test::ScriptedPrompts prompts_;
  test::RecordingProcess process_;
  test::RecordingShell shell_;
  test::ScriptedMenus menus_;
  test::ScriptedModalRunner modal_;
  test::RecordingPrinters printers_;
  test::ScriptedFileDialogs fileDialogs_;
  UninstallLog log_{files_, ansi_, locale_, clock_, Narrow(Folder()) + "\\"};
  Services services_{platform_, process_,     shell_, prompts_, menus_,
                     modal_,    printers_,    fileDialogs_, log_, Narrow(Folder()) + "\\", {},
                     Narrow(Folder()) + "\\Backups\\"};
  std::wstring folder_, exe_, exeName_;
  std::string subKey_, keyPath_;
};

TEST_F(RealUninstall, AnUninstallerThatRemovesItsEntryLeadsToTheSuccessPage) {
  const std::string command = Quoted() + " /key \"" + keyPath_ + "\" /delay 300";
  AddEntryFor(command);
  Run(command, [&](TUninstallBox& box) {
    Pause(clock_);
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    EXPECT_EQ(box.PageIndex(), 1);
    WaitForUninstaller();
    EXPECT_FALSE(EntryExists());
    Pause(clock_);
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    EXPECT_EQ(box.PageIndex(), 3);
    EXPECT_FALSE(box.CancelShown());
    Pause(clock_);
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    EXPECT_FALSE(box.Running());
  });
  EXPECT_EQ(LogText(), kHeader + Started("Tidewell Walk") + kOkLine);
  EXPECT_TRUE(prompts_.shown.empty());
}

TEST_F(RealUninstall, AnUninstallerThatLeavesItsEntryIsCleanedUp) {
  // Unquoted, with blanks in the path: resolved the way WinExec resolves it.
  const std::string command = Narrow(exe_) + " /key \"" + keyPath_ + "\" /leave";
  AddEntryFor(command);
  Run(command, [&](TUninstallBox& box) {
    Pause(clock_);
    test::Click(box.Control(TUninstallBox::IdAddRemove));
    WaitForUninstaller();
    EXPECT_TRUE(prompts_.shown.empty()) << "the command started";
    Pause(clock_);
    test::Click(box.Control(TUninstallBox::IdDone));
    EXPECT_EQ(box.PageIndex(), 2);
    EXPECT_TRUE(box.CancelShown());
    EXPECT_TRUE(EntryExists());
    Pause(clock_);
    test::PressKey(box, box.ContentPanel(), VK_RETURN);
    EXPECT_FALSE(box.Running());
  });
  EXPECT_FALSE(EntryExists());
  EXPECT_EQ(LogText(), kHeader + Started("Tidewell Walk") + kIncompleteLine + kCleanedLine);
}

TEST_F(RealUninstall, AMissingUninstallerFailsToStart) {
  const std::string command = "\"" + Narrow(folder_) + "\\gone.exe\" /key \"" + keyPath_ + "\"";
  AddEntryFor(command);
  Run(command, [&](TUninstallBox& box) {
    Pause(clock_);
    test::Click(box.Control(TUninstallBox::IdAddRemove));
    EXPECT_EQ(box.PageIndex(), 2);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].caption, std::optional<std::string>(command));
    test::Click(box.Control(TUninstallBox::IdCancel));
  });
  EXPECT_TRUE(EntryExists());
  EXPECT_EQ(LogText(), kHeader + Started("Tidewell Walk") + kFailedLine + kIncompleteLine);
}

}  // namespace
}  // namespace tw
