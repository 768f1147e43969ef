// The registry key that names the component file of the Domino session class, written out in full
// so that a test does not take it from the code it checks.
#pragma once

#include <string>

inline const std::u16string kSessionClassKey =
    u"SOFTWARE\\Classes\\CLSID\\{29131539-2EED-1069-BF5D-00DD011186B7}\\InprocServer32";
