#pragma once

#include <QByteArray>
#include <QIcon>
#include <QString>

class QWidget;

// What the password dialogs use of the main window: the set-password dialog stores the new password
// itself and refreshes the window, the caller only learns whether the user confirmed.
class DocumentHost
{
public:
    virtual ~DocumentHost() = default;

    virtual QWidget* hostWindow() = 0;
    virtual QIcon image(int index) const = 0; // ImageList16
    virtual QByteArray Password() const = 0;
    virtual void setPassword(const QByteArray& password) = 0;
    virtual QString FileName() const = 0;
    virtual void SetModified(bool value) = 0;
    virtual void SetFileInfo(const QString& name) = 0;
};
