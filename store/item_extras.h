// What an item keeps beyond the files every item has: the text as copied when the ANSI code page
// cannot hold it, the rich text and HTML offered with a text, a picture's original with its
// transparency, the user's pin and the program it was copied from. Each is one extra file of the item, NAME plus the kind's extension; an item
// without extra files is an item as it always was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

enum class ExtraKind : int32_t {
  UnicodeText = 1,   // text items: the text as UTF-8, no byte-order mark, no terminating zero
  RichText = 2,      // text items: "Rich Text Format" as offered, without the terminating zero
  Html = 3,          // text items: "HTML Format" as offered (its header included), no terminating zero
  AlphaPicture = 4,  // image items: the picture with its transparency, as a PNG file
  Pin = 5,           // any item: the user pinned it (the file holds PinExtraBytes)
  SourceProgram = 6, // any item: the file name of the program it was copied from, UTF-8
};
inline constexpr std::array<ExtraKind, 6> EveryExtraKind = {ExtraKind::UnicodeText, ExtraKind::RichText,
                                                            ExtraKind::Html,        ExtraKind::AlphaPicture,
                                                            ExtraKind::Pin,         ExtraKind::SourceProgram};
// What a pin's file holds: an extra is never empty.
inline constexpr std::string_view PinExtraBytes = "pinned";

// Rich text, HTML or a picture larger than this is not kept: the item keeps its text or its
// picture alone. (A Unicode text is bounded by the text limit long before.)
inline constexpr std::size_t MaxExtraBytes = 16u << 20;

struct ItemExtra {
  ExtraKind kind = ExtraKind::UnicodeText;
  std::vector<unsigned char> bytes;
};

// The extension of the kind's file, dot included (".utf", ".rtf", ".htm", ".png").
std::string_view ExtraFileExtension(ExtraKind kind);
// Whether an item of that kind (0 image, 1 text) may keep an extra of this kind.
bool ExtraBelongsTo(ExtraKind kind, int32_t itemKind);
// The kind with that number, false for a number that names none.
bool ExtraKindFromNumber(int32_t number, ExtraKind& kind);
