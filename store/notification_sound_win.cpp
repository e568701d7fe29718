// The capture chime, built into the program as a wave file and played straight from there.
#include <windows.h>
#include <mmsystem.h>

#include <string_view>

#include "resources/resource_ids.h"
#include "store/capture_win.h"

namespace {

std::string_view SoundData() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_NOTIFICATION_SOUND), "WAVE");
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data ? std::string_view(static_cast<const char*>(data), SizeofResource(nullptr, found)) : std::string_view();
}

}  // namespace

void PlayNotificationSound() {
  const std::string_view sound = SoundData();
  // Resource memory lives as long as the program, so the sound may go on after this returns.
  if (!sound.empty()) PlaySoundA(sound.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}
