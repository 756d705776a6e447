// The shortcut reader on real .lnk files, written in the test through the shell link object.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <vector>
#include <string>

#include "win32/CorShellShortcut.h"
#include "support/ScratchFolder.h"
#include "win32/WinText.h"

namespace tw {
namespace {

struct LinkSpec {
  std::wstring target;
  std::wstring arguments;
  std::wstring description;
  std::wstring workingDirectory;
  std::wstring iconPath;
  int iconIndex = 0;
  WORD hotkey = 0;
  int showCommand = SW_SHOWNORMAL;
};

class ShellShortcut : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    ASSERT_TRUE(scratch_.Made());
  }
  void TearDown() override { ::CoUninitialize(); }

  std::wstring In(const std::wstring& name) { return Widen(scratch_.In(Narrow(name))); }

  std::wstring MakeFile(const std::wstring& name, const std::string& bytes = "MZ") {
    const std::string path = scratch_.MakeFile(Narrow(name), bytes);
    EXPECT_FALSE(path.empty()) << Narrow(name);
    return Widen(path);
  }

  // Saves a shortcut through the shell link object, as the shell does.
  std::wstring MakeLink(const std::wstring& name, const LinkSpec& spec) {
    const std::wstring path = In(name);
    IShellLinkW* link = nullptr;
    EXPECT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             reinterpret_cast<void**>(&link))));
    if (link == nullptr) return path;
    link->SetPath(spec.target.c_str());
    link->SetArguments(spec.arguments.c_str());
    link->SetDescription(spec.description.c_str());
    link->SetWorkingDirectory(spec.workingDirectory.c_str());
    if (!spec.iconPath.empty()) link->SetIconLocation(spec.iconPath.c_str(), spec.iconIndex);
    link->SetHotkey(spec.hotkey);
    link->SetShowCmd(spec.showCommand);
    IPersistFile* file = nullptr;
    EXPECT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(path.c_str(), TRUE)));
    file->Release();
    link->Release();
    return path;
  }

  // The show command as the file's header stores it (a 32-bit number at offset 0x3C).
  static int StoredShowCommand(const std::wstring& link) {
    const HANDLE file = ::CreateFileW(link.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    unsigned char header[0x40] = {};
    DWORD read = 0;
    ::ReadFile(file, header, sizeof header, &read, nullptr);
    ::CloseHandle(file);
    if (read != sizeof header) return -1;
    return header[0x3C] | (header[0x3D] << 8) | (header[0x3E] << 16) | (header[0x3F] << 24);
  }

  test::ScratchFolder scratch_{"tidewell-lnk-"};
  const std::wstring folder_ = Widen(scratch_.Path());
};

TEST_F(ShellShortcut, ReadsEveryField) {
  const std::wstring target = MakeFile(L"tool.exe", std::string(1234, 'x'));
  const std::wstring icon = MakeFile(L"tool.ico");
  LinkSpec spec;
  spec.target = target;
  spec.arguments = L"/uninstall /quiet";
  spec.description = L"Removes the tool";
  spec.workingDirectory = folder_;
  spec.iconPath = icon;
  spec.iconIndex = 3;
  spec.hotkey = MAKEWORD('T', HOTKEYF_CONTROL | HOTKEYF_ALT);
  const std::wstring link = MakeLink(L"Uninstall Tool.lnk", spec);

  TShortcutInfo info;
  ASSERT_EQ(ReadShortcut(Narrow(link), {ShortcutField::All}, info), S_OK);
  EXPECT_EQ(info.Path, Narrow(target));
  EXPECT_EQ(info.Arguments, "/uninstall /quiet");
  EXPECT_EQ(info.Description, "Removes the tool");
  EXPECT_EQ(info.WorkingDirectory, Narrow(folder_));
  EXPECT_EQ(info.IconPath, Narrow(icon));
  EXPECT_EQ(info.IconIndex, 3);
  EXPECT_EQ(info.Hotkey, spec.hotkey);
  EXPECT_EQ(info.ShowCommand, StoredShowCommand(link));
  EXPECT_NE(info.IdList, nullptr);
  EXPECT_STREQ(info.FindData.cFileName, L"tool.exe");
  EXPECT_EQ(info.FindData.nFileSizeLow, 1234u);
}

TEST_F(ShellShortcut, TextsOutsideTheAnsiCodePageSurvive) {
  const std::wstring target = MakeFile(L"\u65e5\u672c\u8a9e \u00e9\u00e8 \u0394.exe");
  LinkSpec spec;
  spec.target = target;
  spec.arguments = L"/name \"\u0422\u0435\u0441\u0442 \u2603\"";
  const std::wstring link = MakeLink(L"\u0394 shortcut.lnk", spec);
  TShortcutInfo info;
  ASSERT_EQ(ReadShortcut(Narrow(link), {ShortcutField::All}, info), S_OK);
  EXPECT_EQ(info.Path, Narrow(target));
  EXPECT_EQ(info.Arguments, Narrow(spec.arguments));
}

TEST_F(ShellShortcut, LongArgumentsAreNotCut) {
  const std::wstring target = MakeFile(L"setup.exe");
  LinkSpec spec;
  spec.target = target;
  spec.arguments = L"/remove " + std::wstring(600, L'a');
  const std::wstring link = MakeLink(L"long.lnk", spec);
  TShortcutInfo info;
  ASSERT_EQ(ReadShortcut(Narrow(link), {ShortcutField::Arguments}, info), S_OK);
  EXPECT_EQ(info.Arguments, Narrow(spec.arguments));
}

TEST_F(ShellShortcut, ReadsOnlyTheRequestedFields) {
  const std::wstring target = MakeFile(L"app.exe");
  LinkSpec spec;
  spec.target = target;
  spec.arguments = L"-x";
  spec.description = L"about";
  spec.workingDirectory = folder_;
  const std::wstring link = MakeLink(L"app.lnk", spec);
  TShortcutInfo info;
  ASSERT_EQ(ReadShortcut(Narrow(link), {ShortcutField::Arguments, ShortcutField::WorkingDirectory}, info), S_OK);
  EXPECT_EQ(info.Arguments, "-x");
  EXPECT_EQ(info.WorkingDirectory, Narrow(folder_));
  EXPECT_EQ(info.Path, "");
  EXPECT_EQ(info.Description, "");
  EXPECT_EQ(info.IdList, nullptr);
  EXPECT_EQ(info.FindData.cFileName[0], L'\0');
}

TEST_F(ShellShortcut, AFileThatIsNoShortcutFailsAndLeavesTheRecordAlone) {
  const std::wstring corrupt = MakeFile(L"broken.lnk", "this is not a shell link at all");
  const std::wstring empty = MakeFile(L"empty.lnk", "");
  for (const std::wstring& path : {corrupt, empty, In(L"missing.lnk")}) {
    TShortcutInfo info;
    info.Arguments = "kept";
    info.Path = "kept too";
    EXPECT_TRUE(FAILED(ReadShortcut(Narrow(path), {ShortcutField::All}, info))) << Narrow(path);
    EXPECT_EQ(info.Arguments, "kept");
    EXPECT_EQ(info.Path, "kept too");
  }
}

}  // namespace
}  // namespace tw
