#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A settings file as read once: its bytes and where its sections and keys are, so that every read after
// the first costs a look-up instead of a parse of the whole file. Names are decoded only where they are
// not plain ASCII, so a large file costs little more than its bytes.
class IniSnapshot
{
public:
    explicit IniSnapshot(QByteArray bytes);

    // The value without the blanks around it; nothing when the section or key is missing. `section` and
    // `key` come without blanks around them. The first section of a name counts, and within it the
    // first key.
    std::optional<QString> value(const QString& section, const QString& key) const;

private:
    struct Entry
    {
        qsizetype nameStart;
        qsizetype nameSize;
        qsizetype valueStart;
        qsizetype valueEnd;
        qsizetype decodedName; // index in m_decodedNames, or -1 for an ASCII name
    };
    struct Section
    {
        QString name;
        qsizetype firstEntry;
        qsizetype endEntry;
    };

    bool isNamed(const Entry& entry, const QString& key, QByteArrayView asciiKey) const;

    QByteArray m_bytes;
    QList<Section> m_sections;
    QList<Entry> m_entries;
    QStringList m_decodedNames;
};
