#pragma once

#include <QObject>
#include <QString>
#include <QTemporaryDir>

// The base of the dialog tests. The program's folders are a temporary folder of the run; before each case
// the message boxes and file dialogs shown so far are forgotten; after it the dialogs left open are closed
// and, with `queuesUsed`, an answer queued for a box or file dialog that never showed fails the case. A
// class that needs more declares its own slot and calls the step it replaces.
class DialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useTemporaryFolders(); }
    void init() { startCase(); }
    void cleanup() { endCase(); }

protected:
    void useTemporaryFolders();
    void startCase();
    void endCase();
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString dir() const { return m_dir.path(); }

    bool queuesUsed = true;

private:
    QTemporaryDir m_dir;
};
