// The child of the crash-safe saving test: saves generation after generation of a large document to one
// file through the program's save path until it is killed. It reports each save on standard output
// before it starts ("saving N") and after it has finished ("saved N"); a failed save ends it with
// "failed N" and status 3.

#include "SampleDocument.h"

#include "document/QltFile.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: crash_saver FILE FIRST-GENERATION\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    for (auto generation = quint32(std::strtoul(argv[2], nullptr, 10));; ++generation) {
        const QList<Note> notes = SampleDocument::notes(generation);
        std::printf("saving %u\n", generation);
        std::fflush(stdout);
        if (!QltFile::writeNotes(path, notes, SampleDocument::password(generation), generation)) {
            std::printf("failed %u\n", generation);
            return 3;
        }
        std::printf("saved %u\n", generation);
        std::fflush(stdout);
    }
}
