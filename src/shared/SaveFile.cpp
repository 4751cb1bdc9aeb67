#include "shared/SaveFile.h"

#include "shared/FileOwner.h"
#include "shared/RegularFile.h"

#include <QFileInfo>

#include <cerrno>

namespace {

bool failWith(SaveFile::Failure* failure, const QString& reason, int code = 0)
{
    if (failure)
        *failure = {reason, code};
    return false;
}

// Fails with `reason`, or with the system's last one where QFile kept none (as when a write comes up short).
// Asks the system first, before anything else can change its answer.
bool failWithLast(SaveFile::Failure* failure, const std::function<QString()>& reason, int code = 0)
{
    const int number = errno;
    const QString system = qt_error_string();
    const QString given = reason();
    if (given == QFile().errorString())
        return failWith(failure, system, number);
    // A reason QFile kept came from the system too.
    return failWith(failure, given, code != 0 ? code : number);
}

bool writeInto(const QString& path, const SaveFile::Content& content, SaveFile::Failure* failure)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !content(file) || !file.flush())
        return failWithLast(failure, [&file] { return file.errorString(); });
    return true;
}

QFileDevice::Permissions permissionsOf(SaveFile::Rules::NewFile newFile)
{
    constexpr QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    return newFile == SaveFile::Rules::NewFile::OwnerOnly
               ? owner
               : owner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
}

} // namespace

bool SaveFile::isReadOnly(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    // Not QFile::WriteUser alone: it asks access(), which says yes to root.
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWrite);
}

bool SaveFile::replace(const QString& path, const Content& content, const Rules& rules, Failure* failure,
                       const Commit& commit)
{
    const QFileInfo target(path);
    if (rules.links == Rules::Links::Refuse) {
        if (RegularFile::isOtherThanRegular(path))
            return failWith(failure, QStringLiteral("Not a regular file"));
    } else {
        if (!FileOwner::mayFollowLink(path))
            return failWith(failure, QStringLiteral("A link planted by another user is not followed"));
        // A link that leads nowhere (or to itself) would be replaced by the file, or make its target.
        if (target.isSymLink() && !target.exists())
            return failWith(failure, QStringLiteral("The link leads to no file"));
    }
    if (target.exists() && !target.isFile() && !target.isDir()) {
        if (rules.otherFile == Rules::OtherFile::WriteInto)
            return writeInto(path, content, failure);
        return failWith(failure, QStringLiteral("Not a regular file"));
    }
    if (isReadOnly(path))
        return failWith(failure, QStringLiteral("Existing file is not writable"));

    SaveFile save(path);
    QFileDevice& file = save.device();
    const auto fail = [&save, failure] {
        failWithLast(
            failure, [&save] { return save.errorString(); }, save.errorCode());
        save.cancel();
        return false;
    };
    if (!save.open())
        return fail();
    if (target.isFile())
        FileOwner::copy(path, file);
    else if (rules.newFile != Rules::NewFile::FollowUmask &&
             !save.setPermissions(permissionsOf(rules.newFile)))
        return fail();
    // Flushed here: a write that fails while commit() flushes what is still buffered is not reported by
    // commit(), which would then put a cut-off file in place of the old one.
    if (!content(file) || !file.flush())
        return fail();
    if (!(commit ? commit(save) : save.commit()))
        return fail();
    return true;
}
