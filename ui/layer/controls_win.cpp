// Numbered child controls: list view, progress bar, rich text and status bar.
#include "ui/layer/controls_win.h"

#include <commctrl.h>

#include "core/code_page_win.h"
#include "ui/layer/layer_state_win.h"

namespace {

LayerControl* FindControl(int number) {
  auto it = Layer.controls.find(number);
  return it == Layer.controls.end() ? nullptr : &it->second;
}

HWND ListHandle(int number) {
  LayerControl* control = FindControl(number);
  return control && control->kind == ControlKind::List ? control->handle : nullptr;
}

// Creates the child window and records it under the number (-1 = fresh). 0 on failure.
int AddControl(int number, ControlKind kind, DWORD exStyle, const char* className, DWORD style, int x, int y,
               int width, int height) {
  if (number == -1) number = FreshNumber(Layer.controls);
  HWND handle = CreateWindowExA(exStyle, className, "", style, x, y, width, height, Layer.controlParent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)), GetModuleHandleA(nullptr),
                                nullptr);
  if (!handle) return 0;
  if (LayerControl* old = FindControl(number)) DestroyWindow(old->handle);
  Layer.controls[number] = LayerControl{handle, kind, {}};
  return number;
}

void UseDefaultFont(HWND handle) {
  SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

bool HasCheckBoxes(HWND list) {
  return (SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES) != 0;
}

// Texts go to the controls in Unicode, so that they show in every script whatever the code page.
void SetColumnText(HWND list, int row, int column, const std::string& text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

// The list asks before it paints and before each row; the owner draws after each row.
LRESULT CustomDrawAnswer(LayerControl& control, NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const int row = static_cast<int>(draw.nmcd.dwItemSpec);
      return !control.owner.hasMarks || control.owner.hasMarks(row) ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    }
    case CDDS_ITEMPOSTPAINT: {
      RECT picture{};
      picture.left = LVIR_ICON;
      const auto row = static_cast<WPARAM>(draw.nmcd.dwItemSpec);
      if (SendMessageA(control.handle, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&picture))) {
        control.owner.decorate(static_cast<int>(row), draw.nmcd.hdc, picture);
      }
      return CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
  }
}

}  // namespace

void BeginControls(HWND parent) { Layer.controlParent = parent; }

void SetListOwner(int list, ListOwner owner) {
  if (LayerControl* control = FindControl(list)) control->owner = std::move(owner);
}

bool PassToListOwner(const NMHDR* header, LRESULT& answer) {
  answer = 0;
  if (!header) return false;
  for (auto& [number, control] : Layer.controls) {
    if (control.handle != header->hwndFrom || control.kind != ControlKind::List) continue;
    if (header->code == NM_CUSTOMDRAW && control.owner.decorate) {
      answer = CustomDrawAnswer(control, *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header)));
      return true;
    }
    if (header->code == LVN_GETDISPINFOA && control.owner.describe) {
      // The answer goes into the notification the list sent, which is the list's to read.
      control.owner.describe(reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item);
      return true;
    }
    // Another program (or the system) set a row's state in the list itself.
    if (header->code == LVN_ITEMCHANGED && control.owner.stateChanged) {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      if (change->uChanged & LVIF_STATE) control.owner.stateChanged(change->iItem, change->uOldState, change->uNewState);
    }
    if (header->code == NM_CLICK && control.owner.checkBoxClicked) {
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(header)->ptAction;
      const int row = static_cast<int>(SendMessageA(control.handle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) control.owner.checkBoxClicked(row);
    }
    // The click is the window's event as well.
    return false;
  }
  return false;
}

int NewListControl(int number, int x, int y, int width, int height, const std::string& columnTitle,
                   int columnWidth, int flags) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHAREIMAGELISTS;
  if (!(flags & ListMultiSelect)) style |= LVS_SINGLESEL;
  if (flags & ListOwnerData) style |= LVS_OWNERDATA;
  number = AddControl(number, ControlKind::List, WS_EX_CLIENTEDGE, WC_LISTVIEWA, style, x, y, width, height);
  if (!number) return 0;
  HWND list = ControlHandle(number);
  DWORD exStyle = 0;
  if (flags & ListCheckBoxes) exStyle |= LVS_EX_CHECKBOXES;
  if (flags & ListGridLines) exStyle |= LVS_EX_GRIDLINES;
  if (flags & ListFullRowSelect) exStyle |= LVS_EX_FULLROWSELECT;
  if (flags & ListHeaderDragDrop) exStyle |= LVS_EX_HEADERDRAGDROP;
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, exStyle, exStyle);
  UseDefaultFont(list);
  std::wstring title = Wide(columnTitle);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
  column.fmt = LVCFMT_LEFT;
  column.cx = columnWidth;
  column.pszText = title.data();
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  return number;
}

HWND ControlHandle(int number) {
  LayerControl* control = FindControl(number);
  return control ? control->handle : nullptr;
}

int GetControlState(int control) {
  LayerControl* record = FindControl(control);
  if (!record) return -1;
  if (record->kind == ControlKind::ProgressBar) {
    return static_cast<int>(SendMessageA(record->handle, PBM_GETPOS, 0, 0));
  }
  if (record->kind != ControlKind::List) return -1;
  return static_cast<int>(SendMessageA(record->handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SetControlState(int control, int value) {
  LayerControl* record = FindControl(control);
  if (!record) return;
  if (record->kind == ControlKind::ProgressBar) {
    SendMessageA(record->handle, PBM_SETPOS, value, 0);
    return;
  }
  if (record->kind != ControlKind::List) return;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (value < 0) {
    // -1 addresses every row: clear the selection instead of selecting all.
    item.state = 0;
    SendMessageA(record->handle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    return;
  }
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(record->handle, LVM_SETITEMSTATE, value, reinterpret_cast<LPARAM>(&item));
  SendMessageA(record->handle, LVM_ENSUREVISIBLE, value, FALSE);
  SetFocus(record->handle);
}

namespace {

// An owner-data list's owner keeps the rows' check marks: asked and told directly.
UINT OwnersStateImage(const LayerControl& control, int row) {
  LVITEMA item{};
  item.mask = LVIF_STATE;
  item.iItem = row;
  item.stateMask = LVIS_STATEIMAGEMASK;
  control.owner.describe(item);
  return item.state & LVIS_STATEIMAGEMASK;
}

}  // namespace

int GetRowState(int list, int row) {
  HWND handle = ListHandle(list);
  if (!handle) return 0;
  auto state = static_cast<UINT>(
      SendMessageA(handle, LVM_GETITEMSTATE, row, LVIS_SELECTED | LVIS_STATEIMAGEMASK));
  const LayerControl* control = FindControl(list);
  if (control->owner.describe) state = (state & ~LVIS_STATEIMAGEMASK) | OwnersStateImage(*control, row);
  int result = (state & LVIS_SELECTED) ? RowSelected : 0;
  if (HasCheckBoxes(handle) && ((state & LVIS_STATEIMAGEMASK) >> 12) != 1) result |= RowChecked;
  return result;
}

void SetRowState(int list, int row, int state) {
  HWND handle = ListHandle(list);
  if (!handle) return;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK((state & RowChecked) ? 2 : 1);
  if (state & RowSelected) item.state |= LVIS_SELECTED | LVIS_FOCUSED;
  const LayerControl* control = FindControl(list);
  if (control->owner.stateChanged) {
    const UINT old = control->owner.describe ? OwnersStateImage(*control, row) : 0;
    control->owner.stateChanged(row, old, item.state & LVIS_STATEIMAGEMASK);
    item.stateMask &= ~LVIS_STATEIMAGEMASK;
  }
  SendMessageA(handle, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int InsertRow(int list, int position, const std::string& text) {
  HWND handle = ListHandle(list);
  if (!handle) return -1;
  if (position < 0) position = static_cast<int>(SendMessageA(handle, LVM_GETITEMCOUNT, 0, 0));
  size_t end = text.find('\n');
  std::wstring first = Wide(text.substr(0, end));
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = position;
  item.pszText = first.data();
  int row = static_cast<int>(SendMessageW(handle, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (int column = 1; row >= 0 && end != std::string::npos; ++column) {
    size_t start = end + 1;
    end = text.find('\n', start);
    SetColumnText(handle, row, column, text.substr(start, end == std::string::npos ? end : end - start));
  }
  return row;
}

void RemoveRow(int list, int row) {
  if (HWND handle = ListHandle(list)) SendMessageA(handle, LVM_DELETEITEM, row, 0);
}

void ClearRows(int list) {
  if (HWND handle = ListHandle(list)) SendMessageA(handle, LVM_DELETEALLITEMS, 0, 0);
}

int RowCount(int list) {
  HWND handle = ListHandle(list);
  return handle ? static_cast<int>(SendMessageA(handle, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

void ResizeControl(int control, int x, int y, int width, int height) {
  HWND handle = ControlHandle(control);
  if (!handle) return;
  RECT rect{};
  GetWindowRect(handle, &rect);
  MapWindowPoints(nullptr, GetParent(handle), reinterpret_cast<POINT*>(&rect), 2);
  if (x == -1) x = rect.left;
  if (y == -1) y = rect.top;
  if (width == -1) width = rect.right - rect.left;
  if (height == -1) height = rect.bottom - rect.top;
  MoveWindow(handle, x, y, width, height, TRUE);
}

int NewProgressBar(int number, int x, int y, int width, int height, int minimum, int maximum) {
  number = AddControl(number, ControlKind::ProgressBar, 0, PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE, x, y, width,
                      height);
  // The 32-bit range, so that more than 65535 steps are not cut short.
  if (number) SendMessageA(ControlHandle(number), PBM_SETRANGE32, minimum, maximum);
  return number;
}

int NewRichTextControl(int number, int x, int y, int width, int height) {
  static const char* richClass = nullptr;
  if (!richClass) {
    if (LoadLibraryA("RICHED20.DLL")) {
      richClass = "RichEdit20A";
    } else if (LoadLibraryA("RICHED32.DLL")) {
      richClass = "RichEdit";
    } else {
      return 0;
    }
  }
  DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL |
                ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN;
  number = AddControl(number, ControlKind::RichText, WS_EX_CLIENTEDGE, richClass, style, x, y, width, height);
  if (number) UseDefaultFont(ControlHandle(number));
  return number;
}

int NewStatusBar(int number, HWND window) {
  if (number == -1) number = FreshNumber(Layer.controls);
  HWND handle = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", window, static_cast<UINT>(number));
  if (!handle) return 0;
  if (LayerControl* old = FindControl(number)) DestroyWindow(old->handle);
  Layer.controls[number] = LayerControl{handle, ControlKind::StatusBar, {}};
  return number;
}

void SetStatusText(int bar, int field, const std::string& text) {
  if (HWND handle = ControlHandle(bar)) {
    SendMessageW(handle, SB_SETTEXTW, static_cast<WPARAM>(field & 0xFF), reinterpret_cast<LPARAM>(Wide(text).c_str()));
  }
}
