#include "win32/CorShellShortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "win32/WinText.h"

namespace tw {

namespace {

// Room for every text a shortcut holds: arguments and descriptions may be longer than a
// path (the shell allows up to INFOTIPSIZE characters), and a shorter buffer would cut an
// uninstall command short without telling anyone.
constexpr int kTextCapacity = 1024;

// Owns one COM interface pointer.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }
  void** put_void() {
    reset();
    return reinterpret_cast<void**>(&p_);
  }

 private:
  T* p_ = nullptr;
};

bool Wants(const ShortcutFields& fields, ShortcutField field) {
  return fields.count(ShortcutField::All) != 0 || fields.count(field) != 0;
}

// Reads one text through a getter that fills a wide buffer.
template <class Getter>
HRESULT ReadText(std::string& out, Getter getter) {
  std::vector<wchar_t> buffer(kTextCapacity, L'\0');
  const HRESULT hr = getter(buffer.data(), kTextCapacity);
  if (FAILED(hr)) return hr;
  buffer.back() = L'\0';
  out = Narrow(buffer.data());
  return hr;
}

// A "?" cannot stand in a file path (beyond the "\\?\" prefix): a path holding one was
// stored through the ANSI code page, which replaced the characters it lacks.
bool LostCharacters(const std::string& path) {
  const std::size_t from = path.rfind("\\\\?\\", 0) == 0 ? 4 : 0;
  return path.find('?', from) != std::string::npos;
}

// The target's path from the link's item identifier list, which keeps its names in
// Unicode; "" when the target is no file system item.
std::string PathOfIdList(IShellLinkW& link) {
  PIDLIST_ABSOLUTE list = nullptr;
  if (FAILED(link.GetIDList(&list)) || list == nullptr) return {};
  const ShellIdList owned(list);
  std::vector<wchar_t> buffer(kTextCapacity, L'\0');
  if (!::SHGetPathFromIDListEx(owned.get(), buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT)) {
    return {};
  }
  return Narrow(buffer.data());
}

}  // namespace

void ShellIdListDeleter::operator()(ITEMIDLIST* list) const noexcept { ::CoTaskMemFree(list); }

HRESULT ReadShortcut(const std::string& fileName, const ShortcutFields& fields, TShortcutInfo& info) {
  ComPtr<IShellLinkW> link;
  HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void());
  if (FAILED(hr)) return hr;
  ComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.put_void());
  if (FAILED(hr)) return hr;
  const std::wstring wideName = Widen(fileName);
  hr = file->Load(wideName.c_str(), STGM_READ);
  if (FAILED(hr)) return hr;

  if (Wants(fields, ShortcutField::Arguments)) {
    hr = ReadText(info.Arguments, [&](wchar_t* b, int n) { return link->GetArguments(b, n); });
    if (FAILED(hr)) return hr;
  }
  if (Wants(fields, ShortcutField::Description)) {
    hr = ReadText(info.Description, [&](wchar_t* b, int n) { return link->GetDescription(b, n); });
    if (FAILED(hr)) return hr;
  }
  if (Wants(fields, ShortcutField::Hotkey)) {
    WORD hotkey = 0;
    hr = link->GetHotkey(&hotkey);
    if (FAILED(hr)) return hr;
    info.Hotkey = hotkey;
  }
  if (Wants(fields, ShortcutField::IconLocation)) {
    int index = 0;
    hr = ReadText(info.IconPath, [&](wchar_t* b, int n) { return link->GetIconLocation(b, n, &index); });
    if (FAILED(hr)) return hr;
    info.IconIndex = index;
  }
  if (Wants(fields, ShortcutField::IdList)) {
    PIDLIST_ABSOLUTE list = nullptr;
    hr = link->GetIDList(&list);
    if (FAILED(hr)) return hr;
    info.IdList.reset(list);
  }
  if (Wants(fields, ShortcutField::Path)) {
    WIN32_FIND_DATAW found{};
    std::string path;
    hr = ReadText(path, [&](wchar_t* b, int n) { return link->GetPath(b, n, &found, SLGP_UNCPRIORITY); });
    if (FAILED(hr)) return hr;
    if (LostCharacters(path)) {
      if (std::string unicode = PathOfIdList(*link.get()); !unicode.empty()) path = unicode;
    }
    info.Path = std::move(path);
    info.FindData = found;
  }
  if (Wants(fields, ShortcutField::ShowCommand)) {
    int show = 0;
    hr = link->GetShowCmd(&show);
    if (FAILED(hr)) return hr;
    info.ShowCommand = show;
  }
  if (Wants(fields, ShortcutField::WorkingDirectory)) {
    hr = ReadText(info.WorkingDirectory, [&](wchar_t* b, int n) { return link->GetWorkingDirectory(b, n); });
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace tw
