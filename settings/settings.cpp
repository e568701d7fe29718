#include "settings/settings.h"

#include <cassert>

SettingsState Settings;

namespace {

struct IntegerField {
  const char* name;
  int32_t SettingsState::*member;
};

constexpr IntegerField kIntegerFields[SettingsIntegerCount] = {
    {"ShowAfterPaste", &SettingsState::ShowAfterPaste},
    {"ShowAfterCopy", &SettingsState::ShowAfterCopy},
    {"ItemLimit", &SettingsState::ItemLimit},
    {"DeleteAfterPaste", &SettingsState::DeleteAfterPaste},
    {"KeepItems", &SettingsState::KeepItems},
    {"StartVisible", &SettingsState::StartVisible},
    {"SavedWindowX", &SettingsState::SavedWindowX},
    {"SavedWindowY", &SettingsState::SavedWindowY},
    {"SavedWindowHeight", &SettingsState::SavedWindowHeight},
    {"ListHeight", &SettingsState::ListHeight},
    {"CompressImages", &SettingsState::CompressImages},
    {"WatchClipboard", &SettingsState::WatchClipboard},
    {"SoundOnCapture", &SettingsState::SoundOnCapture},
    {"NewItemsChecked", &SettingsState::NewItemsChecked},
};

struct StringField {
  const char* name;
  std::string SettingsState::*member;
};

constexpr StringField kStringFields[SettingsStringCount] = {
    {"LastImageSaveDir", &SettingsState::LastImageSaveDir},
    {"LastTextSaveDir", &SettingsState::LastTextSaveDir},
    {"LastImageFolder", &SettingsState::LastImageFolder},
    {"LastTextFolder", &SettingsState::LastTextFolder},
    {"LastBoardFile", &SettingsState::LastBoardFile},
    {"LastLoadDir", &SettingsState::LastLoadDir},
};

}  // namespace

int32_t& SettingsInteger(SettingsState& settings, int index) {
  assert(index >= 0 && index < SettingsIntegerCount);
  return settings.*kIntegerFields[index].member;
}

int32_t SettingsInteger(const SettingsState& settings, int index) {
  assert(index >= 0 && index < SettingsIntegerCount);
  return settings.*kIntegerFields[index].member;
}

const char* SettingsIntegerName(int index) {
  assert(index >= 0 && index < SettingsIntegerCount);
  return kIntegerFields[index].name;
}

std::string& SettingsString(SettingsState& settings, int index) {
  assert(index >= 0 && index < SettingsStringCount);
  return settings.*kStringFields[index].member;
}

const std::string& SettingsString(const SettingsState& settings, int index) {
  assert(index >= 0 && index < SettingsStringCount);
  return settings.*kStringFields[index].member;
}

const char* SettingsStringName(int index) {
  assert(index >= 0 && index < SettingsStringCount);
  return kStringFields[index].name;
}
