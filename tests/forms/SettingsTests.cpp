#include <gtest/gtest.h>

#include "FormTestSupport.h"
#include "forms/FormMain.h"
#include "support/Catalogue.h"

namespace tw {
namespace {

using test::AddEntry;
using test::kUninstallKey;
using test::SetValue;

const std::string kDesktop = "Software\\Quenmark\\Tidewell\\Desktop";

class Settings : public ::testing::Test {
 protected:
  void Store(const char* name, const std::string& text) {
    SetValue(h.fake.registry, RootKey::CurrentUser, kDesktop, name, RegValue::Text(text));
  }
  std::optional<std::string> Stored(const char* name) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::CurrentUser);
    if (!store->OpenPath(kDesktop, false) || !store->HasValue(name)) return std::nullopt;
    return store->ReadText(name);
  }
  void Run(std::vector<std::string> parameters = {}) {
    h.services.request = ParseStartupRequest(parameters);
    form = std::make_unique<TfrmMain>(h.services);
    form->Create();
    if (form->TerminateRequested()) {
      form->CloseWithoutShowing();
      return;
    }
    form->Show(SW_SHOW);
    test::PumpMessages();
  }
  void Exit() {
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    test::PumpMessages();
  }
  RECT Bounds() {
    RECT rc;
    ::GetWindowRect(form->Handle(), &rc);
    return rc;
  }
  test::FormHarness h;
  std::unique_ptr<TfrmMain> form;
};

TEST_F(Settings, FirstRunOpensCentredAtTheDesignSizeAndStoresOnExit) {
  Run();
  const RECT rc = Bounds();
  EXPECT_EQ(rc.right - rc.left, form->Scale(654));
  EXPECT_EQ(rc.bottom - rc.top, form->Scale(460));
  EXPECT_EQ(rc.left, (::GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2);
  EXPECT_EQ(rc.top, (::GetSystemMetrics(SM_CYSCREEN) - (rc.bottom - rc.top)) / 2);
  EXPECT_EQ(form->CurrentViewStyle(), ViewStyle::LargeIcons);
  form->SetViewStyle(ViewStyle::List);
  Exit();
  EXPECT_EQ(Stored("WindowState"), "0");
  EXPECT_EQ(Stored("Left"), std::to_string(rc.left));
  EXPECT_EQ(Stored("Top"), std::to_string(rc.top));
  EXPECT_EQ(Stored("Width"), std::to_string(rc.right - rc.left));
  EXPECT_EQ(Stored("Height"), std::to_string(rc.bottom - rc.top));
  EXPECT_EQ(Stored("MainViewStyle"), "2");
}

TEST_F(Settings, AMaximisedExitKeepsTheLastNormalBounds) {
  Store("Left", "40");
  Store("Top", "30");
  Store("Width", "700");
  Store("Height", "520");
  Run();
  const RECT rc = Bounds();
  EXPECT_EQ(rc.left, 40);
  EXPECT_EQ(rc.top, 30);
  EXPECT_EQ(rc.right - rc.left, 700);
  EXPECT_EQ(rc.bottom - rc.top, 520);
  ::ShowWindow(form->Handle(), SW_MAXIMIZE);
  Exit();
  EXPECT_EQ(Stored("WindowState"), "2");
  EXPECT_EQ(Stored("Left"), "40");
  EXPECT_EQ(Stored("Width"), "700");

  // The next run opens at those bounds and is maximised on its first activation.
  Run();
  EXPECT_TRUE(::IsZoomed(form->Handle()));
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ::GetWindowPlacement(form->Handle(), &placement);
  EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 700);
}

TEST_F(Settings, ValuesThatAreNoNumbersCountAsAbsent) {
  Store("Left", "wide");
  Store("Width", "");
  Store("Height", "600");
  Store("WindowState", "7");
  Store("MainViewStyle", "9");
  Run();
  const RECT rc = Bounds();
  EXPECT_EQ(rc.left, (::GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2);
  EXPECT_EQ(rc.right - rc.left, form->Scale(654));
  EXPECT_EQ(rc.bottom - rc.top, 600);
  EXPECT_FALSE(::IsZoomed(form->Handle()));
  EXPECT_EQ(form->CurrentViewStyle(), ViewStyle::LargeIcons);
}

TEST_F(Settings, AStoredViewStyleIsApplied) {
  Store("MainViewStyle", "3");
  Run();
  EXPECT_EQ(form->CurrentViewStyle(), ViewStyle::Details);
}

// The list is made in the stored view, before the window shows; a run nobody sees puts no
// rows in it, though the model holds them all.
TEST_F(Settings, TheListIsMadeInTheStoredViewAndAnUnseenRunFillsNone) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "App One", "one.exe");
  AddEntry(h.fake.registry, RootKey::CurrentUser, "B", "App Two", "two.exe");
  for (const auto& [stored, style] : {std::pair{"3", LVS_REPORT}, std::pair{"2", LVS_LIST}, std::pair{"9", LVS_ICON}}) {
    Store("MainViewStyle", stored);
    h.services.request = ParseStartupRequest({});
    form = std::make_unique<TfrmMain>(h.services);
    form->Create();
    EXPECT_EQ(::GetWindowLongW(form->ListView(), GWL_STYLE) & LVS_TYPEMASK, style) << stored;
    EXPECT_EQ(form->RowCount(), 2) << stored;
    EXPECT_EQ(form->SelectedIndex(), 0) << stored;
    Exit();
  }
  Run({"/QU", "Not There"});
  EXPECT_TRUE(form->TerminateRequested());
  EXPECT_EQ(form->Programs().Count(), 2);
  EXPECT_EQ(form->RowCount(), 0);
}

// A real message box of the first scan gives the activation back to its still hidden owner
// as it closes; the first activation's work must still run once the window shows.
TEST_F(Settings, AnErrorBoxDuringTheFirstScanDoesNotSkipTheFirstActivation) {
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\Bad", "DisplayName",
           RegValue::Number(5));
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\Bad", "UninstallString",
           RegValue::Text("bad.exe"));
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "App One", "one.exe");
  Store("MainViewStyle", "3");
  h.prompts.onClose = [](HWND owner) {
    if (owner != nullptr) ::SendMessageW(owner, WM_ACTIVATE, WA_ACTIVE, 0);
  };
  h.modal.scripts.push_back([](ModalForm& dialog) { dialog.Close(); });
  Run({"/UNINSTALL", "App One"});
  ASSERT_GE(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "Invalid data type for 'DisplayName'");
  EXPECT_EQ(form->CurrentViewStyle(), ViewStyle::Details);
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"Uninstall"}));  // /UNINSTALL ran
}

TEST_F(Settings, QuietRemovalStartsAndDeletesNamedProgramsOnly) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "App One", "C:\\one\\uninst.exe /S");
  AddEntry(h.fake.registry, RootKey::LocalMachine, "B", "App Two", "C:\\two\\uninst.exe");
  AddEntry(h.fake.registry, RootKey::CurrentUser, "C", "App Three", "three.exe");
  Run({"/qu", "App Three", "Not There", "app one"});
  EXPECT_TRUE(form->TerminateRequested());
  EXPECT_EQ(h.process.started, (std::vector<std::string>{"three.exe", "C:\\one\\uninst.exe /S"}));
  auto exists = [&](RootKeyHandle root, const char* sub) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(root);
    return store->HasKey(std::string(kUninstallKey) + "\\" + sub);
  };
  EXPECT_FALSE(exists(RootKey::LocalMachine, "A"));
  EXPECT_TRUE(exists(RootKey::LocalMachine, "B"));
  EXPECT_FALSE(exists(RootKey::CurrentUser, "C"));
  EXPECT_FALSE(h.fake.files.Exists("C:\\Tidewell\\ULOG.TXT"));  // nothing is logged
  EXPECT_TRUE(h.prompts.shown.empty());
  EXPECT_EQ(form->Icons().ResolvedRows(), 0);  // no icon is made for a run nobody sees
  EXPECT_EQ(Stored("WindowState"), "0");      // the exit stored the settings
}

// The installer's own unattended command, where an entry records one, is what /QU starts.
TEST_F(Settings, QuietRemovalStartsTheQuietCommandWhereTheEntryHasOne) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "App One", "C:\\one\\uninst.exe");
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\A", "QuietUninstallString",
           RegValue::Text("\"C:\\one\\uninst.exe\" /S", RegType::ExpandString));
  AddEntry(h.fake.registry, RootKey::LocalMachine, "B", "App Two", "C:\\two\\uninst.exe");
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\B", "QuietUninstallString",
           RegValue::Text(""));
  Run({"/QU", "App One", "App Two"});
  EXPECT_EQ(h.process.started,
            (std::vector<std::string>{"\"C:\\one\\uninst.exe\" /S", "C:\\two\\uninst.exe"}));
  EXPECT_TRUE(form->TerminateRequested());
}

TEST_F(Settings, AnUnattendedRunKeepsTheStoredStateAndStyleAndStoresCentredBounds) {
  // First run of a switch that ends at once: the bounds stored are the centred ones a first
  // interactive run would show, not wherever the hidden window was created.
  Run({"/QU"});
  const int width = form->Scale(654), height = form->Scale(460);
  EXPECT_EQ(Stored("Left"), std::to_string((::GetSystemMetrics(SM_CXSCREEN) - width) / 2));
  EXPECT_EQ(Stored("Top"), std::to_string((::GetSystemMetrics(SM_CYSCREEN) - height) / 2));
  EXPECT_EQ(Stored("WindowState"), "0");
  EXPECT_EQ(Stored("MainViewStyle"), "0");

  // A maximised window in the details view stays so after a switch run.
  Store("WindowState", "2");
  Store("MainViewStyle", "3");
  Store("Left", "40");
  Run({"/QU"});
  EXPECT_EQ(Stored("WindowState"), "2");
  EXPECT_EQ(Stored("MainViewStyle"), "3");
  EXPECT_EQ(Stored("Left"), "40");
  Run();
  EXPECT_TRUE(::IsZoomed(form->Handle()));
  EXPECT_EQ(form->CurrentViewStyle(), ViewStyle::Details);
}

TEST_F(Settings, QuietRemovalNeverTakesAnEntryWithoutANameByItsPlaceholder) {
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\Nameless", "DisplayName",
           RegValue::Text(""));
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\Nameless", "UninstallString",
           RegValue::Text("nameless.exe"));
  // A program that really carries that name is found by it.
  AddEntry(h.fake.registry, RootKey::CurrentUser, "Literal", "<no name>", "literal.exe");
  Run({"/QU", "<no name>"});
  EXPECT_TRUE(form->TerminateRequested());
  EXPECT_EQ(h.process.started, (std::vector<std::string>{"literal.exe"}));
  auto store = h.fake.registry.NewStore();
  store->SelectRoot(RootKey::LocalMachine);
  EXPECT_TRUE(store->HasKey(std::string(kUninstallKey) + "\\Nameless"));
}

TEST_F(Settings, QuietRemovalWithoutNamesRemovesNothing) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "App One", "x");
  Run({"/QU"});
  EXPECT_TRUE(form->TerminateRequested());
  EXPECT_TRUE(h.process.started.empty());
  auto store = h.fake.registry.NewStore();
  store->SelectRoot(RootKey::LocalMachine);
  EXPECT_TRUE(store->HasKey(std::string(kUninstallKey) + "\\A"));
}

// The choice to hide system components and updates is kept beside the view style and holds
// from the first scan on: the report and quiet removal switches see what the list shows.
TEST_F(Settings, HiddenSystemComponentsStayHiddenAcrossRunsAndFromTheSwitches) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "App One", "one.exe");
  AddEntry(h.fake.registry, RootKey::LocalMachine, "R", "Runtime", "runtime.exe");
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\R", "SystemComponent",
           RegValue::Number(1));
  const auto names = [&] {
    std::vector<std::string> out;
    for (int i = 0; i < form->RowCount(); ++i) out.push_back(form->RowAt(i).caption);
    return out;
  };
  Run();
  EXPECT_TRUE(form->ShowsSystemComponents());
  form->RunCommand(TfrmMain::CmdShowSystemComponents);
  Exit();
  EXPECT_EQ(Stored("ShowSystemComponents"), "0");

  Run();
  EXPECT_FALSE(form->ShowsSystemComponents());
  EXPECT_EQ(names(), (std::vector<std::string>{"App One"}));
  Exit();
  Run({"/RFS", "C:\\short.txt"});
  EXPECT_EQ(h.fake.files.Contents("C:\\short.txt").find("Runtime"), std::string::npos);
  EXPECT_NE(h.fake.files.Contents("C:\\short.txt").find("App One"), std::string::npos);
  Run({"/QU", "Runtime"});
  EXPECT_TRUE(h.process.started.empty());
  EXPECT_EQ(Stored("ShowSystemComponents"), "0");  // an unattended run keeps the choice

  // Shown again, they stay shown; a stored text other than 0 shows them.
  Run();
  form->RunCommand(TfrmMain::CmdShowSystemComponents);
  Exit();
  EXPECT_EQ(Stored("ShowSystemComponents"), "1");
  Store("ShowSystemComponents", "no");
  Run();
  EXPECT_TRUE(form->ShowsSystemComponents());
}

TEST_F(Settings, OtherSwitchesAreIgnored) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "App One", "x");
  Run({"/NOPE", "App One"});
  EXPECT_FALSE(form->TerminateRequested());
  EXPECT_TRUE(h.process.started.empty());
}

TEST_F(Settings, UninstallSwitchWithAnUnknownNameTellsTheUser) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "App One", "x");
  Run({"/uninstall", "Nothing Like It"});
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "The program you are looking for (Nothing Like It) was not found");
  EXPECT_EQ(form->SelectedIndex(), 0);
}

}  // namespace
}  // namespace tw
