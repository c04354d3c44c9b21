// The settings text conversion: whatever text the settings file holds for a value, read into
// the 16-bit variable through the settings module. A value read is the text's number; text
// that is no 16-bit whole number fails and leaves the variable as it was.
//
// Input: the stored text (UTF-8).
#include "controls/platform.h"
#include "settings/modRegistry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {
// Hands out the fuzzer's text as the stored value.
class StoredText : public IRegistryComponent {
public:
    QString text;
    std::int32_t read(std::int32_t &, QString &, QString &, QString &data) override
    {
        data = text;
        return 1;
    }
    std::int32_t write(std::int32_t &, QString &, QString &, QString &) override { return 1; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    StoredText store;
    store.text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    modRegistry::setComponent(&store);
    std::int32_t root = HKEY_CURRENT_USER;
    QString key = QStringLiteral("Software\\HarrowKIT");
    QString name = QStringLiteral("skn");
    constexpr Int16 kBefore = 12345;
    Int16 value = kBefore;
    try {
        regRead(root, key, name, value);
        // A value taken must be the number the text spells.
        if (store.text.trimmed().toLongLong() != value)
            std::abort();
    } catch (const std::exception &) {
        if (value != kBefore)
            std::abort();
    }
    modRegistry::setComponent(nullptr);
    return 0;
}
