// The maker's version file: its first line names the version on offer.
#pragma once

#include <QString>

// The version the file names: its first line, blanks around it dropped, when that is a version
// number (digits separated by dots). Anything else, such as the page a hotel's Wi-Fi serves for
// every address or binary bytes, is no version file: throws std::runtime_error, as a failed
// fetch does.
QString versionInFile(const QString &file);
