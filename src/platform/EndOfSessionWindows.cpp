#include "platform/EndOfSession.h"

#include <QGuiApplication>
#include <QSessionManager>

// A window program gets no console signals: the log-off and shut-down reach it through Qt, which answers
// WM_QUERYENDSESSION with commitDataRequest.
EndOfSession::EndOfSession(QObject* parent) : QObject(parent)
{
    connect(qApp, &QGuiApplication::commitDataRequest, this, &EndOfSession::sessionEnding);
}

EndOfSession::~EndOfSession() = default;
