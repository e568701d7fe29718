#include "core/app_state.h"

AppState App;

std::string WorkingPath(const std::string& name) {
  return App.DataDir + "Clipboard\\" + name;
}

std::string WorkingDirectory() {
  return App.DataDir + "Clipboard";
}
