#include "shared/IniSnapshot.h"

#include "shared/AnsiText.h"
#include "shared/IniSyntax.h"

#include <algorithm>

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 0x80; });
}

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniSnapshot::IniSnapshot(QByteArray bytes) : m_bytes(std::move(bytes))
{
    const char* const data = m_bytes.constData();
    IniSyntax::forEachLine(m_bytes, [&](QByteArrayView line, QByteArrayView) {
        const IniSyntax::LineShape shape = IniSyntax::shapeOf(line);
        if (shape.kind == IniSyntax::LineKind::Section) {
            if (!m_sections.isEmpty())
                m_sections.last().endEntry = m_entries.size();
            m_sections.append({IniSyntax::sectionName(shape.name), m_entries.size(), m_entries.size()});
        } else if (shape.kind == IniSyntax::LineKind::Entry && !m_sections.isEmpty()) {
            qsizetype decoded = -1;
            if (!isAscii(shape.name)) {
                decoded = m_decodedNames.size();
                m_decodedNames.append(AnsiText::toUnicode(shape.name));
            }
            m_entries.append({shape.name.data() - data, shape.name.size(),
                              line.data() - data + shape.valueStart, line.data() - data + line.size(),
                              decoded});
        }
    });
    if (!m_sections.isEmpty())
        m_sections.last().endEntry = m_entries.size();
}

bool IniSnapshot::isNamed(const Entry& entry, const QString& key, QByteArrayView asciiKey) const
{
    if (entry.decodedName < 0 && !asciiKey.isNull()) {
        return entry.nameSize == asciiKey.size() && QByteArrayView(m_bytes)
                                                            .sliced(entry.nameStart, entry.nameSize)
                                                            .compare(asciiKey, Qt::CaseInsensitive) == 0;
    }
    // Letters outside ASCII can fold onto ASCII ones (the Kelvin sign onto "k"), so the rest is compared
    // as text.
    const QString name =
        entry.decodedName >= 0
            ? m_decodedNames.at(entry.decodedName)
            : QString::fromLatin1(QByteArrayView(m_bytes).sliced(entry.nameStart, entry.nameSize));
    return sameName(name, key);
}

std::optional<QString> IniSnapshot::value(const QString& section, const QString& key) const
{
    const auto found = std::find_if(m_sections.begin(), m_sections.end(), [&](const Section& candidate) {
        return sameName(candidate.name, section);
    });
    if (found == m_sections.end())
        return std::nullopt;
    const QByteArray asciiKey =
        std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() < 0x80; }) ? key.toLatin1()
                                                                                        : QByteArray();
    for (qsizetype i = found->firstEntry; i < found->endEntry; ++i) {
        const Entry& entry = m_entries.at(i);
        if (isNamed(entry, key, asciiKey))
            return IniSyntax::decodedValue(
                QByteArrayView(m_bytes).sliced(entry.valueStart, entry.valueEnd - entry.valueStart));
    }
    return std::nullopt;
}
