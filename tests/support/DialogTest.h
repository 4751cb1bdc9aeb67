#pragma once

#include "ModalDriver.h"
#include "ProgramFolders.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

// The base of the dialog tests. The program's folders are a temporary folder of the run; before each case
// the message boxes and file dialogs shown so far are forgotten; after it the dialogs left open are closed
// and, with `queuesUsed`, an answer queued for a box or file dialog that never showed fails the case. A
// class that needs more declares its own slot and does these steps itself.
class DialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(useProgramFolders(dir())); }
    void init() { forgetShownDialogs(); }
    void cleanup() { closeDialogs(queuesUsed); }

protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString dir() const { return m_dir.path(); }

    bool queuesUsed = true;

private:
    QTemporaryDir m_dir;
};
