#include "Unprivileged.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

constexpr QFile::Permissions Everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                        QFile::ExeOther;

// The case, as the child prints its result: failures and skips both count against the case.
bool childPassed(const QByteArray& output)
{
    return !output.contains("FAIL!") && !output.contains("SKIP") && output.contains("PASS   :");
}

} // namespace

bool runsUnprivileged()
{
    if (::geteuid() != 0)
        return true;
    // A copy in a folder of its own: the build tree may sit where "nobody" cannot go (/root).
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("case"));
    if (!dir.isValid() || !QFile::copy(QCoreApplication::applicationFilePath(), copy) ||
        !QFile::setPermissions(dir.path(), Everyone) || !QFile::setPermissions(copy, Everyone)) {
        QTest::qFail("cannot copy the test program for an unprivileged run", __FILE__, __LINE__);
        return false;
    }
    QString function = QString::fromLatin1(QTest::currentTestFunction());
    if (const char* tag = QTest::currentDataTag(); tag && *tag)
        function += QLatin1Char(':') + QString::fromUtf8(tag);

    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(dir.path());
    // By its full path: a test may have narrowed PATH to tools of its own.
    child.start(QStandardPaths::findExecutable(QStringLiteral("setpriv"),
                                               {QStringLiteral("/usr/bin"), QStringLiteral("/bin")}),
                {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                 QStringLiteral("--clear-groups"), copy, function});
    const bool finished = child.waitForFinished(60000);
    const QByteArray output = child.readAll();
    if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
        !childPassed(output)) {
        QTest::qFail(qPrintable(QStringLiteral("as nobody:\n") + QString::fromUtf8(output)), __FILE__,
                     __LINE__);
    }
    return false;
}
