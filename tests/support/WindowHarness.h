#pragma once

#include "document/Protection.h"

#include "ModalDriver.h"
#include "TestNotes.h"

#include "app/MainFormU.h"
#include "document/NotesDocument.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class NotesModel;
class QAction;
class QMenu;

// The main window over a fresh folder for every test: settings, logs and notes files live there.
class WindowHarness
{
public:
    void initTestCase();
    // A fresh folder; message boxes and file dialogs answered so far are forgotten.
    void init();
    // Closes what is left open; with `queuesUsed`, fails the test when queued message box answers or
    // file dialog results went unused.
    void cleanup();

    // Creates, shows and activates the window (its first activation opens the command line's file); with
    // `startsAsTheProgram`, shows it as the program does at start, and activates it unless it starts put
    // away.
    void createForm(const QStringList& arguments = {});
    TMainForm& form() const { return *m_form; }
    void destroyForm() { m_form.reset(); }
    const NotesModel& model() const;
    QAction* act(const char* name) const;
    QMenu* menu(const char* name) const;
    QString panel(int index) const;
    QString paneText() const;
    QStringList texts() const; // the notes' texts, decoded
    QString path(const QString& name) const;
    QString dir() const { return m_dir->path(); }
    QString iniPath() const { return path(QStringLiteral("Quillet.ini")); }
    QString iniText() const;
    QString errorLog() const; // decoded; "<unreadable>" when there is none
    void writeIni(const QString& section, const QString& key, const QString& value);
    // These rows added to the document, modified or not; it keeps its file and password.
    void seed(const QList<Note>& notes, bool modified = false);

    // The next enter-password dialog: `typed` replaces what its box holds, then OK (or Cancel). What the
    // box held when it opened goes to `prefilled`, when given.
    void answerPassword(const QString& typed, bool ok = true, QString* prefilled = nullptr);
    ModalDriver driver;
    bool queuesUsed = false;
    bool startsAsTheProgram = false;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TMainForm> m_form;
};

// The base of the window's test classes: the harness set up around every test function. A test class that
// needs more declares its own slot and calls the harness itself.
class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { w.initTestCase(); }
    void init() { w.init(); }
    void cleanup() { w.cleanup(); }

protected:
    WindowHarness w;
};

// Gives the window's document `password` as a file it had opened would, leaving the modified mark alone; a
// strong one at the lowest cost.
void givePassword(TMainForm& form, const QByteArray& password,
                  Protection::Kind kind = Protection::Kind::Classic);
// The failed-save message: the program's text, then the system's reason on a line of its own.
bool isSaveFailure(const QString& text);
