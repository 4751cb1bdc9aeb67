#pragma once

#include "shared/QuilletError.h"

#include <QString>

// Raised by every IniFile write that does not reach the file: "无法写入 <path>".
class IniWriteError : public QuilletError
{
public:
    using QuilletError::QuilletError;
};

// The settings file. Section and key names match in any letter case; every write reaches the file
// before it returns, so several objects on one file always agree; lines the program does not know
// (other sections, keys, comments) are kept as they are when the file is rewritten. The file's text is
// in the ANSI code page.
class IniFile
{
public:
    static constexpr int MaxValueLength = 2047;

    explicit IniFile(QString fileName);

    const QString& fileName() const { return m_fileName; }

    // At most MaxValueLength characters; `defaultValue` when the file, section or key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal, "$hex" or "0xhex"/"0Xhex"; anything else gives `defaultValue`.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // Only the exact value "1" is true.
    bool ReadBool(const QString& section, const QString& key) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);

private:
    QString m_fileName;
};
