#include "settings/association_table.h"

namespace {

const char kProgramFile[] = "kepsil.exe";

}  // namespace

int32_t WindowsVersionClass(bool versionRead, uint32_t platformId, uint32_t major, uint32_t minor) {
  if (!versionRead) return 100;
  if (platformId == PlatformWin9x) {
    switch (minor) {
      case 0: return 10;
      case 10: return 30;
      case 90: return 40;
      default: return 100;
    }
  }
  if (platformId == PlatformWinNT) {
    if (major == 3) return 5;
    if (major == 4) return 20;
    if (major == 5 && minor == 0) return 50;
    if (major == 5 && minor == 1) return 60;
    return 100;
  }
  return 100;
}

bool UsesPerUserAssociation(int32_t versionClass) {
  return versionClass == 20 || versionClass == 50 || versionClass == 60 || versionClass == 100;
}

std::string AssociationCommand(const std::string& programPath) {
  return "\"" + programPath + "\" \"%1\"";
}

std::vector<RegistryValue> AssociationValues(int32_t versionClass, const std::string& programPath) {
  const std::string command = AssociationCommand(programPath);
  if (UsesPerUserAssociation(versionClass)) {
    return {
        {RegistryRoot::ClassesRoot, "Applications\\kepsil.exe\\shell\\open\\command", "", command},
        {RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.ksb",
         "Application", kProgramFile},
    };
  }
  return {
      {RegistryRoot::LocalMachine, "Software\\Classes\\kepsil.exe\\shell\\open\\command", "", command},
      {RegistryRoot::LocalMachine, "Software\\CLASSES\\.ksb", "", kProgramFile},
  };
}
