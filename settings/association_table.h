// The registry entries that open board files (.ksb) with the program, by Windows version.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Platform ids as GetVersionExA reports them.
inline constexpr uint32_t PlatformWin9x = 1;
inline constexpr uint32_t PlatformWinNT = 2;

// The version class: 10, 30, 40 (95, 98, Me), 5 (NT 3.x), 20 (NT 4), 50 (2000), 60 (XP) or 100
// (every other version, and when the version could not be read).
int32_t WindowsVersionClass(bool versionRead, uint32_t platformId, uint32_t major, uint32_t minor);

// True for the classes whose association is written per user (20, 50, 60, 100); the others write
// it machine-wide.
bool UsesPerUserAssociation(int32_t versionClass);

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

struct RegistryValue {
  RegistryRoot root;
  std::string key;
  std::string valueName;  // empty: the key's default value
  std::string data;       // REG_SZ
};

// "\"<programPath>\" \"%1\"": the program's own full path (as it runs, so a renamed or moved
// program is still found) and the board path quoted, so that blanks in either do not split them.
std::string AssociationCommand(const std::string& programPath);

// The values to write, in order, for a version class.
std::vector<RegistryValue> AssociationValues(int32_t versionClass, const std::string& programPath);
