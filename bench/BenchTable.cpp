#include "BenchTable.h"

#include <QTextStream>

void BenchTable::add(QString target, QString measured, QString reference, bool pass)
{
    m_rows.append({std::move(target), std::move(measured), std::move(reference), pass});
}

void BenchTable::notDone(QString target, QString reason)
{
    m_rows.append({std::move(target), QStringLiteral("—"), std::move(reason), false});
}

void BenchTable::addContext(QString text)
{
    m_context.append(std::move(text));
}

bool BenchTable::allPassed() const
{
    return std::all_of(m_rows.cbegin(), m_rows.cend(), [](const Row& row) { return row.pass; });
}

QString BenchTable::markdown() const
{
    QString out;
    QTextStream stream(&out);
    stream << "| target | measured | floor or bound | result |\n";
    stream << "|---|---|---|---|\n";
    for (const Row& row : m_rows) {
        stream << "| " << row.target << " | " << row.measured << " | " << row.reference << " | "
               << (row.pass ? "PASS" : "FAIL") << " |\n";
    }
    if (!m_context.isEmpty())
        stream << '\n';
    for (const QString& text : m_context)
        stream << "- " << text << '\n';
    return out;
}

namespace BenchFormat {

QString millis(qint64 nanoseconds)
{
    return QString::number(double(nanoseconds) / 1e6, 'f', 1) + QStringLiteral(" ms");
}

QString throughput(qint64 bytes, qint64 nanoseconds)
{
    return QString::number(double(bytes) / double(nanoseconds), 'f', 2) + QStringLiteral(" GB/s");
}

QString mebibytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MiB");
}

} // namespace BenchFormat
