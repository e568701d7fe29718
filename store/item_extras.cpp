#include "store/item_extras.h"

std::string_view ExtraFileExtension(ExtraKind kind) {
  switch (kind) {
    case ExtraKind::UnicodeText: return ".utf";
    case ExtraKind::RichText: return ".rtf";
    case ExtraKind::Html: return ".htm";
    case ExtraKind::AlphaPicture: return ".png";
    case ExtraKind::Pin: return ".pin";
    case ExtraKind::SourceProgram: return ".src";
  }
  return ".extra";
}

bool ExtraBelongsTo(ExtraKind kind, int32_t itemKind) {
  constexpr int32_t kImageItem = 0;
  if (kind == ExtraKind::Pin || kind == ExtraKind::SourceProgram) return true;
  return (kind == ExtraKind::AlphaPicture) == (itemKind == kImageItem);
}

bool ExtraKindFromNumber(int32_t number, ExtraKind& kind) {
  for (ExtraKind known : EveryExtraKind) {
    if (static_cast<int32_t>(known) == number) {
      kind = known;
      return true;
    }
  }
  return false;
}
