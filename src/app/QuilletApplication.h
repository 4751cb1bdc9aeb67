#pragma once

#include <QApplication>
#include <QString>

#include <functional>
#include <typeinfo>

// The application object. An exception that escapes an event handler is caught here and handed to the
// installed handler, and the event loop goes on.
class QuilletApplication : public QApplication
{
    Q_OBJECT

public:
    using ExceptionHandler = std::function<void(const QString& className, const QString& message)>;

    QuilletApplication(int& argc, char** argv);

    // The main window installs its HandleException at creation and removes it when it goes.
    void setExceptionHandler(ExceptionHandler handler);

    bool notify(QObject* receiver, QEvent* event) override;

    static QuilletApplication* instance();
    // The readable name of a type, as the error log shows exception classes.
    static QString typeName(const std::type_info& type);

private:
    void report(const QString& className, const QString& message) noexcept;

    ExceptionHandler m_handler;
    bool m_reporting = false;
};
