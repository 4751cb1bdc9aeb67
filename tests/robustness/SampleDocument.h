#pragma once

#include "document/Note.h"

#include <QByteArray>
#include <QList>

// The documents the crash test saves, one per generation: several MB, every note marked with its
// generation, a note count and a password that change from one generation to the next, so that a file
// mixed from two saves can never pass for either.
namespace SampleDocument {
QList<Note> notes(quint32 generation);
QByteArray password(quint32 generation); // empty for every third generation
} // namespace SampleDocument
