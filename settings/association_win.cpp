#include "settings/association.h"

#include <windows.h>
#include <shlobj.h>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "settings/association_table.h"

namespace {

int32_t CurrentVersionClass() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  const bool read = GetVersionExA(&version) != 0;
  return WindowsVersionClass(read, version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
  }
  return HKEY_CURRENT_USER;
}

void WriteValue(const RegistryValue& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(RootKey(value.root), Wide(value.key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  // REG_SZ data is written with its terminating zero, in Unicode: the program's path may hold any
  // letter.
  const std::wstring data = Wide(value.data);
  RegSetValueExW(key, Wide(value.valueName).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace

void RegisterBoardAssociation() {
  for (const RegistryValue& value : AssociationValues(CurrentVersionClass(), App.ProgramPath)) WriteValue(value);
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
