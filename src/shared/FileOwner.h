#pragma once

#include <QString>

class QFileDevice;

// Who owns a file. A file written anew in place of another (temporary file, then rename) belongs to the
// one who wrote it; root saving a user's file would take it away from that user.
namespace FileOwner {

// Gives the open `file` the owner and group of the file at `path`, as far as this process may: the
// owner only for root, the group for a member of it; and its set-group-ID bit.
void copy(const QString& path, QFileDevice& file);

// Whether a write to `path` may follow the symbolic link there: not when the link lies in a folder that
// others may write to (sticky or writable by all) and belongs to neither this user nor root, the rule the
// kernel's protected_symlinks applies, so that nobody can plant a link that sends the write elsewhere.
// True for anything that is no link.
bool mayFollowLink(const QString& path);

} // namespace FileOwner
