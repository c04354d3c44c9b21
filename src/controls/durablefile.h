// Small files read whole and replaced whole: the new text is on the disk before the call
// returns, and a crash at any moment leaves either the old text or the new one.
#pragma once

#include <QByteArray>
#include <QString>

namespace durablefile {

struct Contents {
    enum State { Missing, Read, Unusable } state = Missing;
    QByteArray bytes;
};

// Unusable: a file that cannot be read, is no regular file, is a symbolic link (a replacement
// would cut the link) or is larger than `limit` bytes.
Contents read(const QString &path, qsizetype limit);

// Writes a new file beside `path`, syncs it, renames it over `path` and syncs the folder.
// Missing folders are created (and their parents synced); an existing file's permissions are
// kept, a new one gets the default permissions less the umask. False when any step failed or
// the file is read-only; the old file is then untouched.
bool replace(const QString &path, const QByteArray &bytes);

// The name prefix of the files replace() writes before renaming them over `path`.
QString pendingPrefix(const QString &path);

} // namespace durablefile
