#pragma once

#include "MainFormFixture.h"

#include "document/Note.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class NotesModel;
class QAction;
class QMenu;
class TEnterPassForm;

Note note(const QString& text, const QString& priority = QStringLiteral("标准"), bool done = false);
// A file's bytes, or "<unreadable>".
QByteArray fileBytes(const QString& path);
// The failed-save message: the program's text, then the system's reason on a line of its own.
bool isSaveFailure(const QString& text);
bool writeBytes(const QString& path, const QByteArray& bytes);
// What quillet-cli and the window write for these notes.
QByteArray notesFile(const QList<Note>& notes, const QByteArray& password = {}, quint32 reserved = 0);
// The notes a file holds, read with `password`; empty when the file cannot be read.
QList<Note> notesIn(const QString& path, const QByteArray& password = {});

// The main window over a fresh folder for every test: settings, logs and notes files live there.
class WindowHarness
{
public:
    void initTestCase();
    void init();
    void cleanup();

    // Creates, shows and activates the window (its first activation opens the command line's file).
    void createForm(const QStringList& arguments = {});
    TMainForm& form() const { return *m_form; }
    void destroyForm() { m_form.reset(); }
    NotesModel& model() const;
    QAction* act(const char* name) const;
    QMenu* menu(const char* name) const;
    QString panel(int index) const;
    QString path(const QString& name) const;
    QString dir() const { return m_dir->path(); }
    void writeIni(const QString& section, const QString& key, const QString& value);
    // A document with these rows, modified or not, without a file.
    void seed(const QList<Note>& notes, bool modified);

    // The next enter-password dialog: `typed` replaces what its box holds, then OK (or Cancel). What the
    // box held when it opened goes to `prefilled`, when given.
    void answerPassword(const QString& typed, bool ok = true, QString* prefilled = nullptr);
    ModalDriver driver;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TMainForm> m_form;
};
