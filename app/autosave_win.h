// Writes items.dat (while KeepItems is on) and prefs.dat as they change, and saves them when the
// user's session ends.
#pragma once

// The collection or a check mark changed (the collection tells).
void NoteItemsChanged();
// Every file of the working folder was deleted: items.dat and prefs.dat are written again at the
// next look, whatever was written before.
void NoteWorkingFolderEmptied();
// A command ran, which may have changed a setting.
void NoteCommandDone();
// Whether the main loop's idle step is to call KeepStoredFilesCurrent: after a change, a command,
// or when a timer asks (once a second, and when a change that came too soon is due).
bool StoredFilesLookDue();
// From the main loop's idle step: writes what changed, at most about once a second each.
void KeepStoredFilesCurrent();
// The session is about to end (WM_QUERYENDSESSION): writes items.dat when KeepItems is on and
// prefs.dat now, without removing anything, because the end may still be cancelled.
void SaveBeforeSessionEnd();
