#include "core/Trust.h"

#include <QByteArray>

namespace menu::core {

namespace {
// The key texts MENU_TRUSTED_KEYS gave at configure time, one string per key.
const char *const kKeyTexts[] = {
#include "trusted-keys.inc"
    nullptr};
} // namespace

const std::vector<formats::MinisignKey> &compiledKeys()
{
    static const std::vector<formats::MinisignKey> keys = [] {
        std::vector<formats::MinisignKey> parsed;
        for (const char *const *text = kKeyTexts; *text != nullptr; ++text) {
            // The build refuses a key that does not parse, so none is dropped here.
            if (auto key = formats::parseMinisignKey(QByteArrayView(*text)))
                parsed.push_back(*key);
        }
        return parsed;
    }();
    return keys;
}

} // namespace menu::core
