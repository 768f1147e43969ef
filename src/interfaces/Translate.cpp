#include "interfaces/Translate.h"

#include "interfaces/ComObject.h"

#include <atomic>

namespace {

std::atomic<TextTranslator> g_translator{nullptr};

} // namespace

void SetTextTranslator(TextTranslator translator) {
    g_translator.store(translator);
}

std::string Translate(const char* context, const char* text) {
    const TextTranslator translator = g_translator.load();
    return translator ? translator(context, text) : std::string(text);
}

std::u16string TranslateUtf16(const char* context, const char* text) {
    return Utf8ToUtf16(Translate(context, text));
}
