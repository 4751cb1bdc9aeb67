#include "shared/SaveFile.h"

#include <QSaveFile>

struct SaveFile::Private
{
    explicit Private(const QString& target) : file(target) {}
    QSaveFile file;
};

SaveFile::SaveFile(const QString& target) : d(std::make_unique<Private>(target))
{
    // Writing straight into the target would lose the old file on a failure half-way.
    d->file.setDirectWriteFallback(false);
}

SaveFile::~SaveFile() = default;

bool SaveFile::open()
{
    return d->file.open(QIODevice::WriteOnly);
}

QFileDevice& SaveFile::device()
{
    return d->file;
}

bool SaveFile::setPermissions(QFileDevice::Permissions permissions)
{
    return d->file.setPermissions(permissions);
}

bool SaveFile::commit()
{
    return d->file.commit();
}

void SaveFile::cancel()
{
    d->file.cancelWriting();
}

QString SaveFile::errorString() const
{
    return d->file.errorString();
}
