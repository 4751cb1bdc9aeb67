#include "BenchTable.h"
#include "Benches.h"
#include "FreshLoad.h"
#include "SampleNotes.h"

#include "app/MainFormU.h"
#include "document/NotesDocument.h"
#include "document/QltFile.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int Runs = 3;

// Reports the first paint of the notes list that shows the expected number of rows, once that paint is
// done, and ends the process.
class ShownWatch : public QObject
{
public:
    ShownWatch(TMainForm& window, int rows) : m_window(window), m_rows(rows)
    {
        window.notesList()->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && m_window.document().model().rowCount() == m_rows) {
            m_seen = true;
            QTimer::singleShot(0, [this] {
                std::printf("shown %lld %lld\n", static_cast<long long>(FreshLoad::peakResidentKiB()),
                            static_cast<long long>(FreshLoad::residentKiB()));
                std::fflush(stdout);
                // The file's lock goes as it does when a window closes, so that the next start does not
                // find it left behind; the time is taken already.
                m_window.document().clear();
                ::_exit(0);
            });
        }
        return false;
    }

private:
    TMainForm& m_window;
    int m_rows;
    bool m_seen = false;
};

struct Start
{
    qint64 nanoseconds = std::numeric_limits<qint64>::max();
    qint64 peakKiB = 0;
    qint64 residentKiB = 0; // when the list is shown
};

// The fastest of a few starts of the window with `appDir` as its folder, until the list shows `rows` rows.
Start timeStart(const QString& self, const QString& appDir, int rows)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLET_APPDIR"), appDir);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Start best;
    for (int run = 0; run < Runs; ++run) {
        QProcess child;
        child.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        child.start(self, {QStringLiteral("--window"), QString::number(rows)});
        QByteArray output;
        while (!output.contains('\n') && child.waitForReadyRead(60000))
            output += child.readAllStandardOutput();
        const qint64 elapsed = timer.nsecsElapsed();
        child.waitForFinished(60000);
        const QList<QByteArray> fields = output.trimmed().split(' ');
        if (fields.size() != 3 || fields.at(0) != "shown")
            qFatal("the window child did not show its list: %s", child.readAllStandardError().constData());
        best.nanoseconds = std::min(best.nanoseconds, elapsed);
        best.peakKiB = std::max(best.peakKiB, fields.at(1).toLongLong());
        best.residentKiB = std::max(best.residentKiB, fields.at(2).toLongLong());
    }
    return best;
}

// A folder for the program whose settings open `lastFile` at start-up (none when empty).
QString appDirWith(const QString& parent, const QString& name, const QString& lastFile)
{
    QDir(parent).mkpath(name);
    const QString dir = QDir(parent).filePath(name);
    if (!lastFile.isEmpty()) {
        QFile ini(QDir(dir).filePath(QStringLiteral("Quillet.ini")));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write the settings");
        ini.write("[General]\r\nOpenLastFile=1\r\nLastFile=" + lastFile.toUtf8() + "\r\n");
    }
    return dir;
}

// A folder whose settings file is 10 MB: a million short keys the program does not know in the section it
// reads most, before the window's own settings. Last written an hour ago, as a settings file is when the
// program starts.
QString appDirWithHugeSettings(const QString& parent)
{
    const QString dir = appDirWith(parent, QStringLiteral("huge settings"), {});
    QByteArray bytes = "[General]\r\n";
    for (int i = 0; i < 1000000; ++i)
        bytes += 'k' + QByteArray::number(i).rightJustified(6, '0') + "=\r\n";
    bytes += "GridLines=1\r\nTheme=Roma\r\n[MRU]\r\nMRU1=/tmp/"
             "a.qlt\r\n[NotesListText]\r\nName=Tahoma\r\nSize=9\r\n";
    QFile ini(QDir(dir).filePath(QStringLiteral("Quillet.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate) || ini.write(bytes) != bytes.size() ||
        !ini.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime))
        qFatal("cannot write the settings");
    return dir;
}

QString writeNotes(const QString& dir, const char* name, qsizetype count, qsizetype meanTextBytes)
{
    const QString path = QDir(dir).filePath(QLatin1String(name));
    if (!QltFile::writeNotes(path, SampleNotes::make(count, meanTextBytes, 5), {}, 0))
        qFatal("cannot write %s", name);
    return path;
}

} // namespace

int windowChild(int& argc, char** argv, int rows)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    TMainForm window(QStringList{});
    ShownWatch watch(window, rows);
    window.show();
    window.activateWindow();
    return app.exec();
}

void benchWindow(BenchTable& table, const QString& dir, const QString& self)
{
    const QString large = writeNotes(dir, "window-large.qlt", 100000, 500);
    const QString million = writeNotes(dir, "window-million.qlt", 1000000, 24);

    const Start empty = timeStart(self, appDirWith(dir, QStringLiteral("empty"), {}), 0);
    const Start withLarge = timeStart(self, appDirWith(dir, QStringLiteral("large"), large), 100000);
    const Start withMillion = timeStart(self, appDirWith(dir, QStringLiteral("million"), million), 1000000);
    const Start withHugeSettings = timeStart(self, appDirWithHugeSettings(dir), 0);

    // The core load in a fresh process too, so that both pay the same first touch of new memory.
    const qint64 coreLoad = FreshLoad::fastest(self, large, Runs, 100000).nanoseconds;
    const qint64 coreLoadMillion = FreshLoad::fastest(self, million, Runs, 1000000).nanoseconds;

    table.add(QStringLiteral("start to the window shown, empty document"),
              BenchFormat::millis(empty.nanoseconds), QStringLiteral("≤ 300 ms"),
              empty.nanoseconds <= 300 * 1000000LL);
    const qint64 settingsCost = withHugeSettings.nanoseconds - empty.nanoseconds;
    table.add(QStringLiteral("start to the window shown, 10 MB settings file of 1,000,000 lines"),
              QStringLiteral("%1 (+%2)")
                  .arg(BenchFormat::millis(withHugeSettings.nanoseconds), BenchFormat::millis(settingsCost)),
              QStringLiteral("≤ empty start + 1000 ms"), settingsCost <= 1000 * 1000000LL);
    table.add(QStringLiteral("start to the list shown, 100,000-note last file"),
              BenchFormat::millis(withLarge.nanoseconds), QStringLiteral("≤ 1000 ms"),
              withLarge.nanoseconds <= 1000 * 1000000LL);
    // Opening through the window: the start with the file less the start without it.
    const qint64 throughWindow = withLarge.nanoseconds - empty.nanoseconds;
    table.add(QStringLiteral("open 100,000 notes through the window until the list shows them"),
              QStringLiteral("%1 (%2 × core load)")
                  .arg(BenchFormat::millis(throughWindow))
                  .arg(double(throughWindow) / double(coreLoad), 0, 'f', 2),
              QStringLiteral("≤ 1.5 × core load %1").arg(BenchFormat::millis(coreLoad)),
              double(throughWindow) <= 1.5 * double(coreLoad));
    table.add(QStringLiteral("1,000,000 short notes: start to the list shown"),
              BenchFormat::millis(withMillion.nanoseconds), QStringLiteral("≤ 2000 ms"),
              withMillion.nanoseconds <= 2000 * 1000000LL);
    // The window's own part: starting empty and loading the document, each in a fresh process.
    const qint64 parts = empty.nanoseconds + coreLoadMillion;
    table.add(QStringLiteral("the same against an empty start and the core load"),
              QStringLiteral("%1 × (empty start + core load)")
                  .arg(double(withMillion.nanoseconds) / double(parts), 0, 'f', 2),
              QStringLiteral("≤ 1.5 × (%1 + %2)")
                  .arg(BenchFormat::millis(empty.nanoseconds), BenchFormat::millis(coreLoadMillion)),
              double(withMillion.nanoseconds) <= 1.5 * double(parts));
    table.add(QStringLiteral("resident memory of that window with the list shown (VmRSS)"),
              QStringLiteral("%1 MB").arg(double(withMillion.residentKiB) * 1024 / 1e6, 0, 'f', 1),
              QStringLiteral("≤ 150 MB"), withMillion.residentKiB * 1024 <= 150000000);
    table.add(QStringLiteral("peak resident memory of that window (VmHWM)"),
              QStringLiteral("%1 MB").arg(double(withMillion.peakKiB) * 1024 / 1e6, 0, 'f', 1),
              QStringLiteral("≤ 250 MB"), withMillion.peakKiB * 1024 <= 250000000);
}
