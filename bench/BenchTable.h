#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The one table the benchmark program prints: every target with what was measured, what it is held
// against and whether it is met.
class BenchTable
{
public:
    struct Row
    {
        QString target;
        QString measured;
        QString reference; // the floor measured in the same run, or the absolute bound
        bool pass = false;
    };

    void add(QString target, QString measured, QString reference, bool pass);
    // A target that could not be measured in this build; it counts as not met.
    void notDone(QString target, QString reason);

    // A figure that explains others, printed under the table.
    void addContext(QString text);

    bool allPassed() const;
    // Markdown, so that the output can go into the README as it is.
    QString markdown() const;

private:
    QList<Row> m_rows;
    QStringList m_context;
};

namespace BenchFormat {
QString millis(qint64 nanoseconds);
QString throughput(qint64 bytes, qint64 nanoseconds); // GB/s
QString mebibytes(qint64 bytes);
} // namespace BenchFormat
