#pragma once

#include <QObject>

// Tells the window that the system or the desktop session is ending the program, so that it can keep
// what is unsaved: on POSIX systems SIGTERM and SIGHUP (a session's end, systemctl, kill, a closed
// terminal), on every system the session manager's end of session (QGuiApplication::commitDataRequest;
// on Windows the log-off and shut-down). One object for the program, made before its window.
class EndOfSession : public QObject
{
    Q_OBJECT

public:
    explicit EndOfSession(QObject* parent = nullptr);
    ~EndOfSession() override;

Q_SIGNALS:
    // A signal asked the program to end: it is to end now, without a question.
    void endRequested();
    // The session is about to end; the session manager ends the program afterwards, or lets it go on
    // when another program cancels the end.
    void sessionEnding();
};
