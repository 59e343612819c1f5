#include "data/number_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

namespace vextal {

NumberSettings SystemNumberSettings() {
    NumberSettings settings;
    if (locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0))) {
        const char* radix = nl_langinfo_l(RADIXCHAR, user);
        // Multi-byte separators (some locales use U+066B) cannot be typed
        // into a one-character field; those users keep ".".
        if (radix != nullptr && std::strlen(radix) == 1) settings.DecimalSeparator = radix[0];
        freelocale(user);
    }
    settings.ListSeparator = settings.DecimalSeparator == ',' ? ';' : ',';
    return settings;
}

}  // namespace vextal
