// The picture files of new image items, encoded and written in the background, and the waits
// that make everything which reads, copies or deletes item files see them complete.
#pragma once

#include <string>

#include "exchange/image/image_codecs.h"
#include "store/picture_writer.h"

extern PictureWriter PictureWrites;

// Takes the image's pixels now (the image stays the caller's) and queues its file for the item.
// False, with nothing queued, when the pixels cannot be read or the encoding has no encoder.
bool QueuePictureWrite(int image, const std::string& name, const std::string& path, ImageEncoding encoding);

// Returns when every queued picture file is written or has failed. Call it before reading,
// copying, exporting or listing item files; it costs at most the pictures still queued.
void FinishPictureWrites();
// Before an item's files are deleted: its queued picture is dropped, or waited for when it is
// being written, so that no file of it appears afterwards.
void CancelPictureWrite(const std::string& name);
// Before the whole working directory is emptied: nothing queued is written any more.
void DiscardPictureWrites();

// From the main loop at rest, never inside an operation on the list: withdraws the items whose
// picture could not be written (record, row, slot, files). True when no picture is pending any
// more, so that items.dat lists only complete items.
bool CollectPictureWrites();
// At shutdown: waits for the pictures, then withdraws those that failed.
void SettlePictureWrites();
