#include "ChildCase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr QFile::Permissions Everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                        QFile::ExeOther;

bool childPassed(const QByteArray& output)
{
    return !output.contains("FAIL!") && !output.contains("SKIP") && output.contains("PASS   :");
}

} // namespace

bool isChildCase()
{
    return qEnvironmentVariableIsSet("QUILLET_TEST_CHILD");
}

void runCaseInCopy(const QString& copy, const QStringList& launcher)
{
    QFile::remove(copy);
    if (!QFile::copy(QCoreApplication::applicationFilePath(), copy) ||
        !QFile::setPermissions(copy, Everyone)) {
        QTest::qFail(qPrintable(u"cannot copy the test program to "_s + copy), __FILE__, __LINE__);
        return;
    }
    QString function = QString::fromLatin1(QTest::currentTestFunction());
    if (const char* tag = QTest::currentDataTag(); tag && *tag)
        function += QLatin1Char(':') + QString::fromUtf8(tag);

    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(QFileInfo(copy).absolutePath());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QUILLET_TEST_CHILD"_s, u"1"_s);
#ifdef Q_OS_WIN
    // The copy finds the DLLs it was built with through the search path, not beside it.
    environment.insert(u"PATH"_s, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + u';' +
                                      environment.value(u"PATH"_s));
#endif
    child.setProcessEnvironment(environment);
    const QStringList command = launcher + QStringList{copy, function};
    child.start(command.first(), command.mid(1));
    const bool finished = child.waitForFinished(60000);
    const QByteArray output = child.readAll();
    if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
        !childPassed(output)) {
        const QString reason = output.isEmpty() ? child.errorString() : QString::fromUtf8(output);
        QTest::qFail(qPrintable(command.join(QLatin1Char(' ')) + QLatin1Char('\n') + reason), __FILE__,
                     __LINE__);
    }
}

bool runsUnprivileged()
{
#ifdef Q_OS_WIN
    return true; // no account here is above the files' permissions the way root is
#else
    if (::geteuid() != 0)
        return true;
    // A folder of its own: the build tree may sit where "nobody" cannot go (/root).
    QTemporaryDir dir;
    if (!dir.isValid() || !QFile::setPermissions(dir.path(), Everyone)) {
        QTest::qFail("cannot make a folder for an unprivileged run", __FILE__, __LINE__);
        return false;
    }
    // By its full path: a test may have narrowed PATH to tools of its own.
    const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s, {u"/usr/bin"_s, u"/bin"_s});
    runCaseInCopy(dir.filePath(u"case"_s),
                  {setpriv, u"--reuid=nobody"_s, u"--regid=nogroup"_s, u"--clear-groups"_s});
    return false;
#endif
}
