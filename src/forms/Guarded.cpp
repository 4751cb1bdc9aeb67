#include "forms/Guarded.h"

#include "shared/QuilletError.h"

#include <QtDebug>

#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <memory>

namespace {

Guarded::Handler& handler()
{
    static Guarded::Handler installed;
    return installed;
}

// Must be called inside a catch block.
QString currentExceptionType()
{
    const std::type_info* type = abi::__cxa_current_exception_type();
    return type ? Guarded::typeName(*type) : QStringLiteral("unknown");
}

// Must be called inside a catch block.
QString currentExceptionMessage()
{
    try {
        throw;
    } catch (const QuilletError& error) {
        return error.message();
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QString();
    }
}

void report(const QString& className, const QString& message) noexcept
{
    // The handler shows a message box with its own event loop; a failure inside it must not start
    // another report, or one fault would stack boxes without end.
    static bool reporting = false;
    if (!handler() || reporting) {
        qCritical("Unhandled exception %s: %s", qUtf8Printable(className), qUtf8Printable(message));
        return;
    }
    reporting = true;
    try {
        handler()(className, message);
    } catch (...) {
        qCritical("Exception while reporting %s: %s", qUtf8Printable(className), qUtf8Printable(message));
    }
    reporting = false;
}

} // namespace

namespace Guarded {

void setHandler(Handler handler)
{
    ::handler() = std::move(handler);
}

void run(const std::function<void()>& work) noexcept
{
    QString className;
    QString message;
    try {
        work();
        return;
    } catch (...) {
        className = currentExceptionType();
        message = currentExceptionMessage();
    }
    // Reported outside the catch block, so the exception is gone before the report's message box runs
    // its own event loop.
    report(className, message);
}

QString typeName(const std::type_info& type)
{
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return QString::fromLatin1(status == 0 && name ? name.get() : type.name());
}

} // namespace Guarded
