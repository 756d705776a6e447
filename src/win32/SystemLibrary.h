#pragma once
// A function of a system library that is loaded the first time it is needed. The Installer's
// library and the common dialogs' pull in a score of other libraries between them; linked
// directly, every start (a report run too) would load them all.

#include <windows.h>

namespace tw {

/// The function `name` of the system library `library` (loaded from the system folder on the
/// first call and kept), or nullptr when either cannot be found.
template <class Function>
Function* SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = ::GetModuleHandleW(library);
  if (module == nullptr) module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace tw
