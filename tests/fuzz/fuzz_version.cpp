// The version file: whatever bytes the maker's server hands out as the version file, and
// whether they name a version on offer. A version taken is digits and dots.
//
// Input: the file's bytes.
#include "web/versionfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString file =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const QString version = versionInFile(file);
        for (const QChar c : version)
            if (!(c == u'.' || (c >= u'0' && c <= u'9')))
                std::abort();
    } catch (const std::runtime_error &) {
        // no version: counts as a failed fetch
    }
    return 0;
}
