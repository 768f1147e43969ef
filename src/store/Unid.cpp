#include "store/Unid.h"

#include <QRandomGenerator>

namespace store {

std::u16string NewUnid() {
    static const char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string unid;
    unid.reserve(32);
    auto* random = QRandomGenerator::system();
    for (int i = 0; i < 4; ++i) {
        quint32 word = random->generate();
        for (int k = 0; k < 8; ++k) {
            unid += kHex[word & 0xF];
            word >>= 4;
        }
    }
    return unid;
}

bool IsValidUnid(std::u16string_view unid) {
    if (unid.size() != 32)
        return false;
    for (char16_t c : unid)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f')))
            return false;
    return true;
}

} // namespace store
