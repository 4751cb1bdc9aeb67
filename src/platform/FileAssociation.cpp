#include "platform/FileAssociation.h"

#include "platform/DesktopEntry.h"
#include "shared/QuilletError.h"
#include "shared/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The freedesktop implementation. Its error message names the system's error number, which only errno
// gives reliably.
namespace FileAssociation {
namespace {

const QString DesktopFileName = QStringLiteral("quillet.desktop");
const QString InstalledDesktopFileName = QStringLiteral("io.sourceforge.quillet.desktop");
const QString DefaultGroup = QStringLiteral("Default Applications");

[[noreturn]] void throwErrno(int code)
{
    throw QuilletError(QStringLiteral("创建文件关联错误:\r\n%1 - %2")
                           .arg(code)
                           .arg(QString::fromLocal8Bit(std::strerror(code))));
}

void makePath(const QString& dir)
{
    // Walk down from the root so that the error is the one of the first folder that cannot be made.
    const QString clean = QDir::cleanPath(dir);
    qsizetype from = 1;
    while (from <= clean.size()) {
        qsizetype slash = clean.indexOf(QLatin1Char('/'), from);
        if (slash < 0)
            slash = clean.size();
        const QByteArray part = QFile::encodeName(clean.first(slash));
        struct stat info;
        if (::stat(part.constData(), &info) != 0) {
            if (errno != ENOENT)
                throwErrno(errno);
            if (::mkdir(part.constData(), 0755) != 0 && errno != EEXIST)
                throwErrno(errno);
        } else if (!S_ISDIR(info.st_mode)) {
            throwErrno(ENOTDIR);
        }
        from = slash + 1;
    }
}

// Through the one safe replacement every file of the program takes: a reader sees the old file or the new
// one; a file there already keeps its permissions and owner, and a link keeps pointing where it did.
void replaceFile(const QString& path, const QByteArray& data)
{
    makePath(QFileInfo(path).absolutePath());
    SaveFile::Rules rules;
    rules.newFile = SaveFile::Rules::NewFile::ReadableByAll;
    SaveFile::Failure failure;
    if (!SaveFile::replace(
            path, [&data](QIODevice& out) { return out.write(data) == data.size(); }, rules, &failure)) {
        if (failure.code != 0)
            throwErrno(failure.code);
        throw QuilletError(QStringLiteral("创建文件关联错误:\r\n%1").arg(failure.reason));
    }
}

QByteArray readIfExists(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return {};
        throwErrno(errno);
    }
    QByteArray content;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            throwErrno(code);
        }
        if (got == 0)
            break;
        content.append(buffer, got);
    }
    ::close(fd);
    return content;
}

QByteArray mimePackage()
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                             "  <mime-type type=\"application/x-quillet\">\n"
                             "    <comment>Quillet File</comment>\n"
                             "    <comment xml:lang=\"zh_CN\">Quillet 文件</comment>\n"
                             "    <glob pattern=\"*.qlt\"/>\n"
                             "  </mime-type>\n"
                             "</mime-info>\n");
}

// Hidden from the menus, where the installed entry (or none) belongs: this one only opens files, and
// goes quiet once the program it names is gone.
QByteArray desktopEntry(const QString& exe)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillet\n"
                          "Comment=Quillet File\n"
                          "Comment[zh_CN]=Quillet 文件\n"
                          "Exec=%1 %f\n"
                          "TryExec=%2\n"
                          "NoDisplay=true\n"
                          "Icon=io.sourceforge.quillet\n"
                          "Terminal=false\n"
                          "MimeType=application/x-quillet;\n"
                          "Categories=Office;\n")
        .arg(DesktopEntry::execArgument(exe), DesktopEntry::escapeString(exe))
        .toUtf8();
}

// Whether the install put its entry beside this program (<prefix>/bin/quillet and
// <prefix>/share/applications/io.sourceforge.quillet.desktop), as it does not for a copy run elsewhere.
bool hasInstalledDesktopEntry(const QString& exe)
{
    return QFileInfo(QFileInfo(exe).absolutePath() + QStringLiteral("/../share/applications/") +
                     InstalledDesktopFileName)
        .isFile();
}

// The entry an earlier registration wrote, now that the installed one takes its place; any other file of
// that name is left alone.
void removeWrittenEntry()
{
    const QString path = desktopEntryPath();
    const std::optional<QString> types =
        DesktopEntry::value(readIfExists(path), QStringLiteral("Desktop Entry"), QStringLiteral("MimeType"));
    if (types == QStringLiteral("application/x-quillet;") &&
        ::unlink(QFile::encodeName(path).constData()) != 0)
        throwErrno(errno);
}

void refresh(const QString& tool, const QString& dir)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, {dir});
    // A stuck tool must not hang the window; the files are written either way.
    if (process.waitForStarted() && !process.waitForFinished(60000))
        process.kill();
}

} // namespace

QString mimePackagePath()
{
    return DesktopEntry::dataHome() + QStringLiteral("/mime/packages/application-x-quillet.xml");
}

QString desktopEntryPath()
{
    return DesktopEntry::dataHome() + QStringLiteral("/applications/") + DesktopFileName;
}

QString mimeAppsListPath()
{
    return DesktopEntry::configHome() + QStringLiteral("/mimeapps.list");
}

namespace {

void writeAssociation(const QString& exe)
{
    replaceFile(mimePackagePath(), mimePackage());
    // An installed program has its entry in the menus already; a second one would show it twice.
    const bool installed = hasInstalledDesktopEntry(exe);
    if (installed)
        removeWrittenEntry();
    else
        replaceFile(desktopEntryPath(), desktopEntry(exe));
    const QString mimeApps = mimeAppsListPath();
    replaceFile(mimeApps,
                DesktopEntry::withValue(readIfExists(mimeApps), DefaultGroup, QString::fromLatin1(MimeType),
                                        installed ? InstalledDesktopFileName : DesktopFileName));
}

} // namespace

bool registerFileType(const QString& exe, QString* error)
{
    try {
        writeAssociation(exe);
    } catch (const QuilletError& failure) {
        if (error)
            *error = failure.message();
        return false;
    }
    refresh(QStringLiteral("update-mime-database"), DesktopEntry::dataHome() + QStringLiteral("/mime"));
    refresh(QStringLiteral("update-desktop-database"),
            DesktopEntry::dataHome() + QStringLiteral("/applications"));
    return true;
}

} // namespace FileAssociation
