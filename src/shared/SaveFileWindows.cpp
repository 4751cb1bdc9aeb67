#include "shared/SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

struct SaveFile::Private
{
    explicit Private(const QString& path)
        : target(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))
    {}
    QString target;
    QString written; // the new file beside the target, until it takes the target's place
    QFile file;
    QString error;
    DWORD errorCode = 0;

    bool failWithSystem()
    {
        errorCode = GetLastError();
        error = qt_error_string(int(errorCode));
        return false;
    }

    void removeWritten()
    {
        file.close();
        if (!written.isEmpty())
            QFile::remove(written);
        written.clear();
    }
};

namespace {

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

HANDLE osHandle(const QFileDevice& file)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
}

bool setDeletedOnClose(HANDLE handle, bool deleted)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleted;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// Creates the new file marked to be deleted when it is closed, until commit() takes the mark off: a save
// that never ends (the program killed or crashed half-way) leaves no partial file beside the target, as
// on Unix. Opened with every sharing right, so that nothing of ours stands in the way of the replacement.
bool openNew(QFile& file, const QString& name)
{
    const HANDLE handle = CreateFileW(wide(name), GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const int fd = setDeletedOnClose(handle, true)
                       ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY)
                       : -1;
    if (fd < 0) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
        return false;
    }
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        SetLastError(ERROR_OPEN_FAILED);
        return false;
    }
    return true;
}

// What a user or another program gave the old file and a save keeps: its attributes and its creation
// time. A new file is marked for archiving anyway, as it changed.
constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool takeOver(HANDLE handle, const WIN32_FILE_ATTRIBUTE_DATA& old)
{
    FILE_BASIC_INFO basic{}; // times left at zero stay as they are
    basic.CreationTime.LowPart = old.ftCreationTime.dwLowDateTime;
    basic.CreationTime.HighPart = LONG(old.ftCreationTime.dwHighDateTime);
    basic.FileAttributes = (old.dwFileAttributes & KeptAttributes) | FILE_ATTRIBUTE_ARCHIVE;
    return SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
}

// Whether all who hold `path` open let it be deleted, as its replacement needs.
bool mayBeDeleted(const QString& path)
{
    const HANDLE handle =
        CreateFileW(wide(path), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
}

// One rename puts the new file in place, so that there is no moment without one (some ReplaceFileW, Wine's
// among them, first move the old file away). A target that others hold open but let be deleted, which no
// rename may replace, is replaced with ReplaceFileW; a read-only one, or one that others hold on to, is not
// (where ReplaceFileW would fail, Wine's leaves a file of its own behind).
bool replaceTarget(const QString& target, const QString& written, const WIN32_FILE_ATTRIBUTE_DATA* old)
{
    if (MoveFileExW(wide(written), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    return old && !(old->dwFileAttributes & FILE_ATTRIBUTE_READONLY) &&
           GetLastError() == ERROR_ACCESS_DENIED && mayBeDeleted(target) &&
           ReplaceFileW(wide(target), wide(written), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr);
}

} // namespace

SaveFile::SaveFile(const QString& target) : d(std::make_unique<Private>(target)) {}

SaveFile::~SaveFile()
{
    d->removeWritten();
}

bool SaveFile::open()
{
    const DWORD attributes = GetFileAttributesW(wide(d->target));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        d->error = QStringLiteral("The file is a link");
        return false;
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = d->target + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8,
                                                                   16, QLatin1Char('0'));
        if (openNew(d->file, name)) {
            d->written = name;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    return d->failWithSystem();
}

QFileDevice& SaveFile::device()
{
    return d->file;
}

bool SaveFile::setPermissions(QFileDevice::Permissions permissions)
{
    Q_UNUSED(permissions);
    return true;
}

// commit() flushes again: taking over the old file's attributes and times changes the new one.
bool SaveFile::sync()
{
    if (!d->file.flush())
        return false;
    return FlushFileBuffers(osHandle(d->file)) || d->failWithSystem();
}

bool SaveFile::commit()
{
    const auto fail = [this](const QString& reason) {
        d->error = reason;
        d->removeWritten();
        return false;
    };
    if (d->written.isEmpty())
        return fail(QStringLiteral("The file is not open"));
    if (!d->file.flush())
        return fail(d->file.errorString());
    const HANDLE handle = osHandle(d->file);
    WIN32_FILE_ATTRIBUTE_DATA old;
    const bool targetExists = GetFileAttributesExW(wide(d->target), GetFileExInfoStandard, &old);
    // A folder at the target is never moved away for the file (ReplaceFileW would).
    if (targetExists && (old.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail(QStringLiteral("Is a directory"));
    const auto failWithSystem = [this] {
        d->failWithSystem();
        d->removeWritten();
        return false;
    };
    if ((targetExists && !takeOver(handle, old)) || !FlushFileBuffers(handle) ||
        !setDeletedOnClose(handle, false))
        return failWithSystem();
    d->file.close();
    if (!replaceTarget(d->target, d->written, targetExists ? &old : nullptr))
        return failWithSystem();
    d->written.clear();
    return true;
}

void SaveFile::cancel()
{
    d->removeWritten();
}

QString SaveFile::errorString() const
{
    return d->error.isEmpty() ? d->file.errorString() : d->error;
}

int SaveFile::errorCode() const
{
    return int(d->errorCode);
}

// ReplaceFileW cannot exchange two files in one step.
bool SaveFile::commitKeepingReplaced()
{
    return commit();
}

QString SaveFile::replacedPath() const
{
    return {};
}
