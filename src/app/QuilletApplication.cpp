#include "app/QuilletApplication.h"

#include "shared/QuilletError.h"

#include <QtDebug>

#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <memory>
#include <typeinfo>
#include <utility>

namespace {

QString demangledCurrentExceptionType()
{
    const std::type_info* type = abi::__cxa_current_exception_type();
    return type ? QuilletApplication::typeName(*type) : QStringLiteral("unknown");
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

} // namespace

QuilletApplication::QuilletApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void QuilletApplication::setExceptionHandler(ExceptionHandler handler)
{
    m_handler = std::move(handler);
}

QString QuilletApplication::typeName(const std::type_info& type)
{
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return QString::fromLatin1(status == 0 && name ? name.get() : type.name());
}

QuilletApplication* QuilletApplication::instance()
{
    return qobject_cast<QuilletApplication*>(QCoreApplication::instance());
}

bool QuilletApplication::notify(QObject* receiver, QEvent* event)
{
    QString className;
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        className = demangledCurrentExceptionType();
        message = currentExceptionMessage();
    }
    // Reported outside the catch block, so the exception is gone before the report's message box runs
    // its own event loop.
    report(className, message);
    return false;
}

void QuilletApplication::report(const QString& className, const QString& message) noexcept
{
    // The handler shows a message box with its own event loop; a failure inside it must not start
    // another report, or one fault would stack boxes without end.
    if (!m_handler || m_reporting) {
        qCritical("Unhandled exception %s: %s", qUtf8Printable(className), qUtf8Printable(message));
        return;
    }
    m_reporting = true;
    try {
        m_handler(className, message);
    } catch (...) {
        qCritical("Exception while reporting %s: %s", qUtf8Printable(className), qUtf8Printable(message));
    }
    m_reporting = false;
}
