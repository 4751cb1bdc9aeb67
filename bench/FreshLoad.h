#pragma once

#include <QString>

// Loads measured in a process of their own, whose heap is as fresh as the program's own at start-up.
namespace FreshLoad {

// The switch that makes the benchmark program the child, followed by the file's path.
inline constexpr char ChildSwitch[] = "--load";

struct Result
{
    qint64 nanoseconds = 0;
    qint64 peakKiB = 0; // the whole process's peak resident size (VmHWM)
};

// The fastest of `runs` child processes loading `path` (no password) into a NotesModel, and the largest
// peak resident size among them. Stops the benchmark when a child does not load `expectedRows` notes.
Result fastest(const QString& self, const QString& path, int runs, int expectedRows);

// The child's side: loads, then prints time, peak size and row count on one line.
int child(const QString& path);

// This process's peak resident size in KiB, -1 when unknown.
qint64 peakResidentKiB();
// This process's resident size now in KiB, -1 when unknown.
qint64 residentKiB();

} // namespace FreshLoad
