#pragma once

#include <QString>

#include <functional>
#include <typeinfo>

// Exceptions never cross Qt, which leaves an exception out of a slot or an event handler undefined: every
// command, slot and event handler of the program runs its work through run(), which hands an exception to
// the installed handler and returns, and the event loop goes on.
namespace Guarded {

using Handler = std::function<void(const QString& className, const QString& message)>;

// The main window installs its HandleException at creation and removes it when it goes.
void setHandler(Handler handler);

// Runs `work`; what it throws goes to the handler, with the exception's class and message.
void run(const std::function<void()>& work) noexcept;

// A slot for connect() that runs `method` of `receiver` through run().
template <typename Receiver, typename... Args>
auto slot(Receiver* receiver, void (Receiver::*method)(Args...))
{
    return [receiver, method](Args... args) { run([&] { (receiver->*method)(args...); }); };
}

// A slot for connect() that runs `work`, which takes no arguments, through run().
template <typename Work> auto slot(Work work)
{
    return [work = std::move(work)] { run(work); };
}

// The readable name of a type, as the error log shows exception classes.
QString typeName(const std::type_info& type);

} // namespace Guarded
