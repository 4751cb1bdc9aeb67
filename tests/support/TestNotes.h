#pragma once

#include "document/KeyDerivation.h"
#include "document/Note.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <initializer_list>

// Text of the program's byte strings (GB18030), for comparisons.
QByteArray gb(QStringView text);

// Bytes by their values, for byte strings that are no text.
QByteArray bytes(std::initializer_list<int> values);

Note makeNote(QStringView text, QStringView priority = u"标准", bool done = false);

// A notes file of tests/golden, whose bytes were made from the format's description, not by our writer.
QByteArray golden(QStringView name);
// What that file must read as (tests/golden/README.md); empty for those that hold no note.
QList<Note> goldenNotes(QStringView name);

// What quillet-cli and the window write for these notes.
QByteArray notesFile(const QList<Note>& notes, const QByteArray& password = {}, quint32 reserved = 0);
// A strong key for `password` at the lowest cost a reader accepts, so that tests stay fast.
KeyDerivation::Key cheapKey(const QByteArray& password);
// A strong file for these notes, with such a key.
QByteArray strongFile(const QList<Note>& notes, const QByteArray& password, quint32 reserved = 0);
// A window's notes may be views into its file's buffer: a copy that outlives the window must own its texts.
QList<Note> detached(QList<Note> notes);
// The notes a file of either format holds, read with `password`; empty when the file cannot be read.
QList<Note> notesIn(const QString& path, const QByteArray& password = {});
