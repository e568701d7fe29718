// Writes items.dat (while KeepItems is on) and prefs.dat as they change, and saves them when the
// user's session ends.
#pragma once

// The collection or a check mark changed (called from the list's notifications).
void NoteItemsChanged();
// From the main loop's idle step: writes what changed, at most about once a second each.
void KeepStoredFilesCurrent();
// The session is about to end (WM_QUERYENDSESSION): writes items.dat when KeepItems is on and
// prefs.dat now, without removing anything, because the end may still be cancelled.
void SaveBeforeSessionEnd();
