#include "core/texts.h"

#include "core/unicode_text.h"

InterfaceTexts Texts;

namespace {

struct TextEntry {
  int number;
  const char* english;
  const char* german;
};

// Code page 1252; a line break inside a message is CR LF; "|" separates a message box's title
// from its message.
constexpr TextEntry kTexts[] = {
  {1, "Save all checked image items as..", "Alle markierten Bilder speichern.."},
  {2, "Save all checked text items as..", "Alle markierten Texte speichern.."},
  {3, "Delete all checked items", "Alle markierten Eintr\xE4" "ge l\xF6" "schen"},
  {4, "Show after paste", "Kepsil! nach Einf\xFC" "gen zeigen"},
  {5, "Show after copy", "Kepsil! nach Kopieren zeigen"},
  {6, "Delete checked item after paste", "Markierten Eintrag nach Einf\xFC" "gen l\xF6" "schen"},
  {7, "Save items after termination", "Eintr\xE4" "ge nach Beenden nicht l\xF6" "schen"},
  {8, "Define max items to hold", "Maximale Eintragszahl einstellen"},
  {9, "Information", "Informationen zum Programm"},
  {10, "Exit", "Beenden"},
  {11, "Save item as..", "Eintrag speichern"},
  {12, "Put item to clipboard", "Eintrag in die Zwischenablage"},
  {13, "Delete item", "Eintrag l\xF6" "schen"},
  {14, "Show KepSil!", "KepSil! zeigen"},
  {15, "Exit", "Beenden"},
  {16, "Hide KepSil!", "KepSil! ausblenden"},
  {17, "Exit", "Beenden"},
  {18, "Set item limit", "Maximale Eintragszahl einstellen"},
  {19, "Please input max count of items to hold", "Wieviel Eintr\xE4" "ge soll KepSil! maximal verwalten"},
  {20, "Save image", "Bild speichern"},
  {21, "Save text", "Text speichern"},
  {22, "Select target directory for image items", "Verzeichnis f\xFC" "r Bilder bestimmen"},
  {23, "Select target directory for text items", "Verzeichnis f\xFC" "r Texte bestimmen"},
  {24, "Import KepSil! board", "KepSil!-Ablage importieren"},
  {25, "Export KepSil! board", "KepSil!-Ablage exportieren"},
  {26, "Compress images", "Bilder komprimieren"},
  {27, "KepSil! board", "KepSil!-Ablage"},
  {28, "Watch Clipboard", "Zwischenablage \xFC" "berwachen"},
  {29, "Play notification sound", "Benachrichtigungs-Sound abspielen"},
  {30, "Set new items as checked", "Neue Eintr\xE4" "ge auf markiert setzen"},
  {31, "..as Bitmap", "..als Bitmap"},
  {32, "..as Jpeg", "..als Jpeg"},
  {33, "..as Png", "..als Png"},
  {34, "Load images or texts", "Bilder oder Texte laden"},
  {35, "All Files", "Alle Dateien"},
  {36, "Info| is too big!\r\nMaximum text size = 64k", "Info| ist zu gro\xDF" "!\r\nMaximale Textgr\xF6" "\xDF" "e = 64kb"},
  {37, "Question|Do you want to associate the *.ksb extension with KepSil!?\r\nSo you can open KepSil! boards directly by doubleclick."
       "\r\n(If you delete 'Clipboard' directory you will be asked again)",
       "Frage|M\xF6" "chten Sie die Endung *.ksb mit KepSil! verkn\xFC" "pfen?\r\nDas \xD6" "ffnen von KepSil! Ablagen ist dann durch Doppelklick m\xF6" "glich."
       "\r\n(Wenn Sie das Verzeichnis 'Clipboard' l\xF6" "schen, werden Sie erneut gefragt)"},
  {38, "Show detailed", "Detaildarstellung"},
  {39, "Set as checked..", "Markierungen setzen f\xFC" "r.."},
  {40, "Set as unchecked..", "Markierungen entfernen f\xFC" "r.."},
  {41, "All items", "Alle Eintr\xE4" "ge"},
  {42, "All images", "Alle Bilder"},
  {43, "All texts", "Alle Texte"},
  {44, "Info| could not be read: it is damaged or no KepSil! board.\r\nYour items are kept as they were.",
       "Info| konnte nicht gelesen werden: Die Datei ist besch\xE4" "digt oder keine KepSil!-Ablage.\r\n"
       "Ihre Eintr\xE4" "ge bleiben unver\xE4" "ndert."},
  {45, "Find\x85", "Suchen\x85"},
  {46, " of ", " von "},
  {47, "Your items are kept in this folder:", "Ihre Eintr\xE4" "ge liegen in diesem Verzeichnis:"},
  {48, "Another program holds the clipboard: nothing was put on it.",
       "Ein anderes Programm belegt die Zwischenablage: Es wurde nichts eingef\xFC" "gt."},
  {49, "Info| is larger than a board can hold (2 GB per item).\r\nNo board was written.",
       "Info| ist gr\xF6\xDF" "er, als eine Ablage fassen kann (2 GB je Eintrag).\r\nEs wurde keine Ablage geschrieben."},
  {50, "Info| could not be imported: the disk is full or the folder cannot be written.\r\n"
       "Your items are kept as they were.",
       "Info| konnte nicht importiert werden: Der Datentr\xE4" "ger ist voll oder das Verzeichnis nicht beschreibbar.\r\n"
       "Ihre Eintr\xE4" "ge bleiben unver\xE4" "ndert."},
  {51, "Pin item", "Eintrag anheften"},
  {52, "Unpin item", "Eintrag nicht mehr anheften"},
  {53, "Pinned", "Angeheftet"},
  {54, "copied from %s", "kopiert aus %s"},
  {55, "Ignore copies from %s", "Kopien aus %s ignorieren"},
  {56, "Ignored programs\x85", "Ignorierte Programme\x85"},
  {57, "Ignored programs", "Ignorierte Programme"},
  {58, "Copies from these programs make no items:", "Kopien aus diesen Programmen werden nicht aufgenommen:"},
  {59, "Remove", "Entfernen"},
  {60, "Close", "Schlie\xDF" "en"},
};

static_assert(sizeof kTexts / sizeof kTexts[0] == LastText, "one entry per text");

const std::string kNoText;

}  // namespace

const std::string& InterfaceTexts::operator[](int n) const {
  if (n < 0 || n >= TextSlotCount) return kNoText;
  return Slots[static_cast<size_t>(n)];
}

const std::string& Text(int n) { return Texts[n]; }

bool IsGermanLocale(uint32_t lcid) {
  switch (lcid) {
    case 0x0407:  // Germany
    case 0x0807:  // Switzerland
    case 0x0C07:  // Austria
    case 0x1007:  // Luxembourg
    case 0x1407:  // Liechtenstein
      return true;
    default:
      return false;
  }
}

const char* BuiltInText(int n, bool german) {
  if (n < FirstText || n > LastText) return nullptr;
  const TextEntry& entry = kTexts[n - FirstText];
  return german ? entry.german : entry.english;
}

void FillTexts(InterfaceTexts& texts) {
  texts.Slots = {};
  for (int n = FirstText; n <= LastText; ++n) {
    // Written in code page 1252, held as every program string is: the same letters on every system.
    texts.Slots[static_cast<size_t>(n)] = Cp1252ToUtf8(BuiltInText(n, texts.LanguageGerman != 0));
  }
}

void FillTexts(InterfaceTexts& texts, uint32_t lcid) {
  texts.LanguageGerman = IsGermanLocale(lcid) ? 1 : 0;
  FillTexts(texts);
}

std::string TextField(const std::string& text, int field) {
  if (field < 1) return {};
  size_t start = 0;
  for (int i = 1; i < field; ++i) {
    const size_t bar = text.find('|', start);
    if (bar == std::string::npos) return {};
    start = bar + 1;
  }
  const size_t end = text.find('|', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string WithName(const std::string& text, const std::string& name) {
  const size_t at = text.find("%s");
  if (at == std::string::npos) return text + name;
  return text.substr(0, at) + name + text.substr(at + 2);
}

MessageText SplitMessageText(const std::string& text) {
  return MessageText{TextField(text, 1), TextField(text, 2)};
}
