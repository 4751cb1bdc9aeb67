#pragma once

#include <QString>
#include <QStringList>

class BenchTable;

// Each adds its rows to the table. `dir` is an empty scratch folder; `self` is this program, started again
// for the measurements that need a fresh process.
void benchCipher(BenchTable& table);
void benchCli(BenchTable& table, const QString& dir, const QString& self);
void benchLoadSave(BenchTable& table, const QString& dir);
void benchSortFind(BenchTable& table);
void benchUndo(BenchTable& table);
void benchMillionNotes(BenchTable& table, const QString& dir, const QString& self);
void benchTrace(BenchTable& table, const QString& dir, const QString& self);
void benchWindow(BenchTable& table, const QString& dir, const QString& self);
void benchWindowCommands(BenchTable& table, const QString& dir, const QString& self);
void benchFilter(BenchTable& table, const QString& dir, const QString& self);

// The child processes' side. They print their figures on one line of standard output.
int traceChild();
// Runs a program given on the command line after MeasureSwitch and an output file for its standard
// output, and prints its time and peak resident size in bytes.
inline constexpr char MeasureSwitch[] = "--measure";
int measureChild(int argc, char** argv);
// `mode` is list or export: the floor of that quillet-cli command on the notes file at `path`; write: the
// floor of a command that changes one note of it.
int cliFloorChild(const QString& mode, const QString& path);
// The same `count` one-line notes as a notes file and as tasks for taskwarrior's `task import`.
int writeComparisonData(qsizetype count, const QString& notesPath, const QString& tasksPath);
int windowChild(int& argc, char** argv, int rows);
// The window's commands on a notes file, and the benchmark's core sort of that file's notes.
bool isWindowCommandsChild(int argc, char** argv);
int windowCommandsChild(int& argc, char** argv);
bool isCoreSortChild(const QStringList& arguments);
int coreSortChild(const QString& path);
// The filter field typed into, in a window on the notes file given.
bool isFilterChild(int argc, char** argv);
int filterChild(int& argc, char** argv);
