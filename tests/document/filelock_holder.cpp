#include "document/FileLock.h"

#include <QCoreApplication>
#include <QFile>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

// A second window for tst_filelock: takes the lock of the file named by its argument, prints the
// outcome, then holds the lock until its standard input closes (it releases and exits) or it is killed
// (the lock stays behind, as after a crash).
int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    // Never outlive a test that died without ending us.
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(120));
        std::_Exit(3);
    }).detach();
    // The lock names the program, as the window's does.
    QCoreApplication app(argc, argv);

    FileLock lock;
    const FileLock::Result result = lock.acquire(QFile::decodeName(argv[1]));
    const char* names[] = {"Acquired", "HeldByOther", "Unavailable"};
    std::printf("%s\n", names[int(result.status)]);
    std::fflush(stdout);

    while (std::getchar() != EOF) {
    }
    lock.release();
    return 0;
}
