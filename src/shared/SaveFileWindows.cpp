#include "shared/SaveFile.h"

#include "shared/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

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
    // Opened with every sharing right (RegularFile), so that nothing of ours stands in the way of the
    // replacement but the file being open for writing.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = d->target + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8,
                                                                   16, QLatin1Char('0'));
        if (RegularFile::open(d->file, name, QIODevice::WriteOnly | QIODevice::NewOnly) ==
            RegularFile::Opened::Yes) {
            d->written = name;
            return true;
        }
        if (QFileInfo::exists(name))
            continue;
        break;
    }
    d->error = qt_error_string(int(GetLastError()));
    return false;
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
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(d->file.handle()))))
        return fail(qt_error_string(int(GetLastError())));
    d->file.close();
    const bool replaced = GetFileAttributesW(wide(d->target)) != INVALID_FILE_ATTRIBUTES
                              ? ReplaceFileW(wide(d->target), wide(d->written), nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                              : MoveFileExW(wide(d->written), wide(d->target), MOVEFILE_WRITE_THROUGH);
    if (!replaced)
        return fail(qt_error_string(int(GetLastError())));
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

// ReplaceFileW cannot exchange two files in one step.
bool SaveFile::commitKeepingReplaced()
{
    return commit();
}

QString SaveFile::replacedPath() const
{
    return {};
}
