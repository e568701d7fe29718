// Loading files as items arrives with the file exchange. Until then a drop is only released
// (the system keeps the drop's memory until DragFinish) and the window comes to the front.
#include "exchange/load_files.h"

#include <shellapi.h>

#include "ui/layer/windows.h"
#include "ui/main_window.h"

void LoadFilesAsItems() {}

void HandleDroppedFiles(HDROP drop) {
  DragFinish(drop);
  SetForegroundWindow(WindowHandle(Ui.MainWindow));
}
