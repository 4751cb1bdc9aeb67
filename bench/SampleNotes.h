#pragma once

#include "document/Note.h"

#include <QList>

// Made-up documents for the benchmarks: texts of Chinese and Latin words in GB18030 with CR LF line
// breaks, priorities and done marks spread over all values. The same seed gives the same notes.
namespace SampleNotes {
QList<Note> make(qsizetype count, qsizetype meanTextBytes, quint32 seed);
qsizetype streamBytes(const QList<Note>& notes); // the size of their record stream
} // namespace SampleNotes
