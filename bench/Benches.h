#pragma once

#include <QString>

class BenchTable;

// Each adds its rows to the table. `dir` is an empty scratch folder; `self` is this program, started again
// for the measurements that need a fresh process.
void benchCipher(BenchTable& table);
void benchLoadSave(BenchTable& table, const QString& dir);
void benchSortFind(BenchTable& table);
void benchUndo(BenchTable& table);
void benchMillionNotes(BenchTable& table, const QString& dir, const QString& self);
void benchTrace(BenchTable& table, const QString& dir, const QString& self);
void benchWindow(BenchTable& table, const QString& dir, const QString& self);

// The child processes' side. They print their figures on one line of standard output.
int traceChild();
int windowChild(int& argc, char** argv, int rows);
