#pragma once
// The one catalogue of captions and messages, with an English and a Chinese column.
// `Module1.Language` picks the column: 1 English, 2 Chinese; any other value picks no text.

#include <QString>

#include <span>

struct TextEntry {
    const char* key;
    const char* english;
    const char* chinese;
};

// A caption row of a window: control name, the two captions, the font size (points).
struct CaptionRow {
    const char* control;
    const char* english;
    const char* chinese;
    int fontSize;
};

// The text of `key` in `language` (1 or 2); a null QString for any other language.
// An unknown key is a programming error: it returns "!key!" so that it shows up at once.
QString textIn(const char* key, int language);

// The text of `key` in the current language.
QString T(const char* key);

bool hasText(const char* key);
std::span<const TextEntry> allTexts();

// Caption tables of the main window and the results window, in the order the switch applies them.
std::span<const CaptionRow> form1Captions();
std::span<const CaptionRow> form2Captions();

// The results-table heading: the dB-down level inserted as typed in Text8.
QString resultLabelCaption(const QString& text8, int language);
