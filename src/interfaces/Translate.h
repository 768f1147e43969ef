// The texts a user reads that code below the Qt layers writes (the causes of system errors, the
// workbook writer's errors). They stand in the code in the program's own language, Chinese, each
// marked for the translation tools as Translate("Context", "text"); a program that shows another
// language sets a translator at its start, and Translate then gives the text in that language.
// Standard C++ only.
#pragma once

#include <string>

// context and text are UTF-8; the result is UTF-8.
using TextTranslator = std::string (*)(const char* context, const char* text);

// Set before any thread is started; nullptr goes back to the texts as they stand.
void SetTextTranslator(TextTranslator translator);

// text in the chosen language: as it stands where no translator is set or none knows it.
std::string Translate(const char* context, const char* text);
std::u16string TranslateUtf16(const char* context, const char* text);
