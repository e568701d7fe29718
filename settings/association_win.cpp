#include "settings/association.h"

#include <windows.h>
#include <shlobj.h>

#include "core/app_state.h"
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
  if (RegCreateKeyExA(RootKey(value.root), value.key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  // REG_SZ data is written with its terminating zero.
  RegSetValueExA(key, value.valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data.c_str()),
                 static_cast<DWORD>(value.data.size() + 1));
  RegCloseKey(key);
}

}  // namespace

void RegisterBoardAssociation() {
  for (const RegistryValue& value : AssociationValues(CurrentVersionClass(), App.AppDir)) WriteValue(value);
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
