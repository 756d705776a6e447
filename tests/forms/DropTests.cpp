// Shortcut files dropped on the main window: real .lnk files made through the shell link
// object, handed over in a real WM_DROPFILES message built the way the shell builds it.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <functional>

#include "FormTestSupport.h"
#include "support/ScratchFolder.h"
#include "forms/DroppedShortcuts.h"
#include "forms/FormMain.h"
#include "forms/FormNewProgram.h"
#include "support/Catalogue.h"
#include "win32/Win32FileSystem.h"
#include "win32/WinText.h"

namespace tw {
namespace {

const std::string kCatalogue = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct Proposal {
  std::string entry, name, command;
  bool operator==(const Proposal&) const = default;
};

class DroppedShortcuts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    ASSERT_TRUE(scratch_.Made());
    target_ = MakeFile("uninst.exe", "MZ");
  }
  void TearDown() override {
    form.reset();
    ::CoUninitialize();
  }

  std::string In(const std::string& name) const { return scratch_.In(name); }

  std::string MakeFile(const std::string& name, const std::string& bytes) {
    const std::string path = scratch_.MakeFile(name, bytes);
    EXPECT_FALSE(path.empty()) << name;
    return path;
  }

  // A shortcut saved through the shell link object; the memory file system gets a directory
  // record for it with `shortName`.
  std::string MakeLink(const std::string& name, const std::string& arguments, const std::string& shortName) {
    const std::string path = In(name);
    IShellLinkW* link = nullptr;
    EXPECT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             reinterpret_cast<void**>(&link))));
    if (link == nullptr) return path;
    link->SetPath(Widen(target_).c_str());
    link->SetArguments(Widen(arguments).c_str());
    IPersistFile* file = nullptr;
    EXPECT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(Widen(path).c_str(), TRUE)));
    file->Release();
    link->Release();
    h.fake.files.AddFile(path, "", false, shortName);
    return path;
  }

  TfrmMain& Open() {
    form = test::OpenMainWindow(h.services);
    return *form;
  }

  // Sends the files to the main window in a DROPFILES block, as the shell does.
  void Drop(const std::vector<std::string>& files) {
    std::wstring names;
    for (const auto& file : files) names += Widen(file) + L'\0';
    names += L'\0';
    const SIZE_T bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    ASSERT_NE(memory, nullptr);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    // The window releases the handle (DragFinish) whatever happens.
    EXPECT_EQ(::SendMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0), 0);
    EXPECT_EQ(::GlobalSize(memory), 0u);  // released
  }

  // Every new-entry dialog the drop opens records its proposal and is cancelled (or runs
  // `then` when given).
  void ExpectDialogs(int count, std::vector<Proposal>& seen, const std::function<void(TNewProgramBox&)>& then = {}) {
    for (int i = 0; i < count; ++i) {
      h.modal.scripts.push_back([&seen, then](ModalForm& dialog) {
        auto& box = static_cast<TNewProgramBox&>(dialog);
        seen.push_back({WindowText(box.EntryEdit()), WindowText(box.NameEdit()), WindowText(box.CommandEdit())});
        if (then) {
          then(box);
        } else {
          box.cmdCancelClick();
        }
      });
    }
  }

  test::FormHarness h;
  std::unique_ptr<TfrmMain> form;
  test::ScratchFolder scratch_{"tidewell-drop-"};
  std::string target_;
};

TEST_F(DroppedShortcuts, AShortcutProposesItsShortNameItsNameAndItsTarget) {
  const std::string link = MakeLink("Uninstall Foo.lnk", "", "UNINST~1.LNK");
  Open();
  std::vector<Proposal> seen;
  ExpectDialogs(1, seen, [](TNewProgramBox& box) { test::Click(::GetDlgItem(box.ContentPanel(), TNewProgramBox::IdOK)); });
  Drop({link});
  EXPECT_EQ(seen, (std::vector<Proposal>{{kCatalogue + "UNINST~1", "Uninstall Foo", target_ + " "}}));
  // Confirmed: written and listed.
  ASSERT_EQ(form->RowCount(), 1);
  EXPECT_EQ(form->RowAt(0).caption, "Uninstall Foo");
  EXPECT_EQ(form->RowAt(0).command, target_ + " ");
  EXPECT_EQ(h.modal.leftOpen, 0);
}

TEST_F(DroppedShortcuts, ExtensionsInAnyCaseAndOtherFilesPassedOverInDropOrder) {
  const std::vector<std::string> files = {
      MakeLink("My.Tool.lnk", "/remove /all", "MYTOOL~1.LNK"),
      MakeFile("Site.url", "[InternetShortcut]\r\nURL=https://example.com/\r\n"),
      MakeLink("Second.LNK", "", "SECOND~1.LNK"),
      MakeFile("setup.exe", "MZ"),
      MakeLink("third.Lnk", "-u", "THIRD~1.LNK"),
      MakeFile("lnk", "no extension at all"),
  };
  Open();
  std::vector<Proposal> seen;
  ExpectDialogs(3, seen);
  Drop(files);
  EXPECT_EQ(seen, (std::vector<Proposal>{{kCatalogue + "MYTOOL~1", "My.Tool", target_ + " /remove /all"},
                                         {kCatalogue + "SECOND~1", "Second", target_ + " "},
                                         {kCatalogue + "THIRD~1", "third", target_ + " -u"}}));
  EXPECT_EQ(h.modal.leftOpen, 0);
  EXPECT_TRUE(h.prompts.shown.empty());
  EXPECT_EQ(form->RowCount(), 0);  // every dialog cancelled: nothing written, no rescan
}

TEST_F(DroppedShortcuts, AnUnreadableShortcutGivesACommandOfOneBlank) {
  const std::string corrupt = MakeFile("Broken.lnk", "definitely not a shell link");
  h.fake.files.AddFile(corrupt, "", false, "BROKEN~1.LNK");
  Open();
  std::vector<Proposal> seen;
  ExpectDialogs(1, seen);
  Drop({corrupt});
  EXPECT_EQ(seen, (std::vector<Proposal>{{kCatalogue + "BROKEN~1", "Broken", " "}}));
}

TEST_F(DroppedShortcuts, WithoutAShortNameTheLongNameIsTheKeyName) {
  const std::string plain = MakeLink("Plain Name.v2.lnk", "", "");
  const std::string unlisted = In("Nowhere.lnk");  // no directory record at all
  Open();
  std::vector<Proposal> seen;
  ExpectDialogs(2, seen);
  Drop({plain, unlisted});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].entry, kCatalogue + "Plain Name.v2");
  EXPECT_EQ(seen[1], (Proposal{kCatalogue + "Nowhere", "Nowhere", " "}));
}

TEST_F(DroppedShortcuts, TheRealFileSystemsShortName) {
  const std::string link = MakeLink("A rather long shortcut name.lnk", "", "");
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(Widen(link).c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  ::FindClose(search);
  std::string expected = Narrow(found.cAlternateFileName);
  expected = expected.empty() ? "A rather long shortcut name" : expected.substr(0, expected.rfind('.'));

  Win32FileSystem files;
  const ShortcutProposal proposal = ProposeFromShortcut(files, link);
  EXPECT_EQ(proposal.keyPath, kCatalogue + expected);
  EXPECT_EQ(proposal.displayName, "A rather long shortcut name");
  EXPECT_EQ(proposal.command, target_ + " ");
}

TEST_F(DroppedShortcuts, WhichNamesAreShortcuts) {
  const std::pair<const char*, bool> cases[] = {
      {"C:\\a\\b.lnk", true},   {"C:\\a\\b.LNK", true},       {"b.Lnk", true},          {"C:\\a.lnk\\b", false},
      {"C:\\a\\b.url", false},  {"C:\\a\\b.lnk.exe", false},  {"C:\\a\\lnk", false},    {"C:\\a\\.lnk", true},
      {"C:\\a\\b.lnkx", false}, {"C:/a/b.lnk", true},         {"C:\\x.y\\b", false},
  };
  for (const auto& [name, shortcut] : cases) EXPECT_EQ(IsShortcutFileName(name), shortcut) << name;
}

}  // namespace
}  // namespace tw
