#include <gtest/gtest.h>

#include <string>

#include "core/texts.h"

namespace {

// The German texts are written here in UTF-8 and turned into code page 1252 (the umlauts and ß
// are Latin-1 there), so the table's escapes are checked against an independent spelling.
std::string Cp1252(const char* utf8) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p != 0; ++p) {
    if (*p == 0xC3 && p[1] != 0) {
      out.push_back(static_cast<char>(0xC0 | (p[1] & 0x3F)));
      ++p;
    } else {
      EXPECT_LT(*p, 0x80) << "unexpected UTF-8 sequence";
      out.push_back(static_cast<char>(*p));
    }
  }
  return out;
}

InterfaceTexts Filled(uint32_t lcid) {
  InterfaceTexts texts;
  FillTexts(texts, lcid);
  return texts;
}

TEST(TextsLanguage, TheFiveGermanLocalesOnlyAsWholeValues) {
  for (uint32_t lcid : {0x0407u, 0x0807u, 0x0C07u, 0x1007u, 0x1407u}) {
    EXPECT_TRUE(IsGermanLocale(lcid)) << std::hex << lcid;
    EXPECT_EQ(Filled(lcid).LanguageGerman, 1);
  }
  // English, French, other German-speaking primary language ids without a default sort order,
  // and a German locale whose upper bits name the phone book sort order.
  for (uint32_t lcid : {0x0409u, 0x040Cu, 0x0000u, 0x0007u, 0x0C09u, 0x1807u, 0x10407u, 0xFFFF0407u}) {
    EXPECT_FALSE(IsGermanLocale(lcid)) << std::hex << lcid;
    EXPECT_EQ(Filled(lcid).LanguageGerman, 0);
  }
}

TEST(TextsTable, EveryTextFilledAndUnusedSlotsEmpty) {
  for (uint32_t lcid : {0x0409u, 0x0407u}) {
    const InterfaceTexts texts = Filled(lcid);
    EXPECT_TRUE(texts[0].empty());
    for (int n = FirstText; n <= LastText; ++n) EXPECT_FALSE(texts[n].empty()) << n;
    for (int n : {LastText + 1, TextSlotCount - 1, TextSlotCount, -1, 1000}) EXPECT_TRUE(texts[n].empty()) << n;
  }
  // Refilling in the other language replaces every text.
  InterfaceTexts texts = Filled(0x0407);
  FillTexts(texts, 0x0409);
  EXPECT_EQ(texts[10], "Exit");
}

TEST(TextsTable, EnglishCaptions) {
  const InterfaceTexts en = Filled(0x0409);
  EXPECT_EQ(en[1], "Save all checked image items as..");
  EXPECT_EQ(en[4], "Show after paste");
  EXPECT_EQ(en[14], "Show KepSil!");
  EXPECT_EQ(en[16], "Hide KepSil!");
  EXPECT_EQ(en[10], "Exit");
  EXPECT_EQ(en[15], "Exit");
  EXPECT_EQ(en[17], "Exit");
  EXPECT_EQ(en[19], "Please input max count of items to hold");
  EXPECT_EQ(en[27] + "|*.ksb", "KepSil! board|*.ksb");
  EXPECT_EQ(en[28], "Watch Clipboard");
  EXPECT_EQ(en[35] + " (*.*)|*.*", "All Files (*.*)|*.*");
  EXPECT_EQ(en[43], "All texts");
}

TEST(TextsTable, GermanCaptionsInCodePage1252) {
  const InterfaceTexts de = Filled(0x0C07);
  const std::pair<int, const char*> expected[] = {
      {3, "Alle markierten Einträge löschen"},
      {4, "Kepsil! nach Einfügen zeigen"},
      {5, "Kepsil! nach Kopieren zeigen"},
      {6, "Markierten Eintrag nach Einfügen löschen"},
      {7, "Einträge nach Beenden nicht löschen"},
      {8, "Maximale Eintragszahl einstellen"},
      {13, "Eintrag löschen"},
      {14, "KepSil! zeigen"},
      {16, "KepSil! ausblenden"},
      {17, "Beenden"},
      {19, "Wieviel Einträge soll KepSil! maximal verwalten"},
      {22, "Verzeichnis für Bilder bestimmen"},
      {23, "Verzeichnis für Texte bestimmen"},
      {24, "KepSil!-Ablage importieren"},
      {28, "Zwischenablage überwachen"},
      {30, "Neue Einträge auf markiert setzen"},
      {39, "Markierungen setzen für.."},
      {40, "Markierungen entfernen für.."},
      {41, "Alle Einträge"},
  };
  // The table is written in code page 1252; the filled texts are the same letters in UTF-8.
  for (const auto& [n, text] : expected) {
    EXPECT_EQ(BuiltInText(n, true), Cp1252(text)) << n;
    EXPECT_EQ(de[n], text) << n;
  }
  EXPECT_EQ(std::string(BuiltInText(28, true)), "Zwischenablage \xFC" "berwachen");
  EXPECT_EQ(de[45], "Suchen\xE2\x80\xA6");  // the ellipsis is 0x85 in code page 1252
  // Only the five German letters the table uses appear above 0x7F.
  for (int n = 1; n <= 43; ++n) {
    for (unsigned char c : std::string(BuiltInText(n, true))) {
      if (c >= 0x80) {
        EXPECT_TRUE(c == 0xE4 || c == 0xF6 || c == 0xFC || c == 0xD6 || c == 0xDF) << n;
      }
    }
  }
}

TEST(TextsMessages, TooBigTextFields) {
  const MessageText en = SplitMessageText(Filled(0x0409)[36]);
  EXPECT_EQ(en.title, "Info");
  EXPECT_EQ(en.message, " is too big!\r\nMaximum text size = 64k");
  const MessageText de = SplitMessageText(Filled(0x0407)[36]);
  EXPECT_EQ(de.title, "Info");
  EXPECT_EQ(de.message, " ist zu groß!\r\nMaximale Textgröße = 64kb");
  // The message box shows the file name directly before field 2.
  EXPECT_EQ("notes.txt" + en.message, "notes.txt is too big!\r\nMaximum text size = 64k");
}

TEST(TextsMessages, AssociationQuestionHasATitleAndThreeLines) {
  const MessageText en = SplitMessageText(Filled(0x0409)[37]);
  EXPECT_EQ(en.title, "Question");
  EXPECT_EQ(en.message,
            "Do you want to associate the *.ksb extension with KepSil!?\r\n"
            "So you can open KepSil! boards directly by doubleclick.\r\n"
            "(If you delete 'Clipboard' directory you will be asked again)");
  const MessageText de = SplitMessageText(Filled(0x1407)[37]);
  EXPECT_EQ(de.title, "Frage");
  EXPECT_EQ(de.message, "Möchten Sie die Endung *.ksb mit KepSil! verknüpfen?\r\n"
                        "Das Öffnen von KepSil! Ablagen ist dann durch Doppelklick möglich.\r\n"
                        "(Wenn Sie das Verzeichnis 'Clipboard' löschen, werden Sie erneut gefragt)");
  for (const MessageText* m : {&en, &de}) {
    size_t lines = 1;
    for (size_t at = m->message.find("\r\n"); at != std::string::npos; at = m->message.find("\r\n", at + 2)) {
      ++lines;
    }
    EXPECT_EQ(lines, 3u);
    EXPECT_EQ(m->message.find('\n'), m->message.find("\r\n") + 1);  // no bare LF
  }
}

TEST(TextsMessages, FieldsBeyondTheBarsAreEmpty) {
  EXPECT_EQ(TextField("a|b|c", 1), "a");
  EXPECT_EQ(TextField("a|b|c", 2), "b");
  EXPECT_EQ(TextField("a|b|c", 3), "c");
  EXPECT_EQ(TextField("a|b|c", 4), "");
  EXPECT_EQ(TextField("no bar", 1), "no bar");
  EXPECT_EQ(TextField("no bar", 2), "");
  EXPECT_EQ(TextField("|", 1), "");
  EXPECT_EQ(TextField("x", 0), "");
  const MessageText m = SplitMessageText("T|");
  EXPECT_EQ(m.title, "T");
  EXPECT_EQ(m.message, "");
}

}  // namespace
