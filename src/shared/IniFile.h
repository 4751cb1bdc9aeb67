#pragma once

#include "shared/QuilletError.h"

#include <QString>

#include <memory>
#include <optional>

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
//
// Lines end with CR LF, LF or a lone CR; lines the program writes end with CR LF. A line whose first
// non-blank character is "[" opens a section, ";" starts a comment, and any other line with "=" holds
// a key. Blanks (spaces, tabs) around names and values are not part of them. When a name occurs twice,
// the first section and within it the first key count, as with the Windows profile functions.
//
// A read parses the file once and keeps what it found while the file stays as it was (same file, size
// and time of its last change), so the many reads at start cost one parse; a change by any writer, this
// object, another one or another program, is seen at the next read. Every write reads the file, changes
// the one line concerned and replaces the file as a whole (temporary file, then rename), so a failed
// write leaves the old file as it was.
//
// Only a regular file is read or written: a symbolic link, a pipe or a device at the file's path reads
// as no file and refuses every write, but for a link of the user's own in a folder only the user may
// write to (dotfile managers make them), which leads to the file that is read and written.
class IniFile
{
public:
    static constexpr int MaxValueLength = 2047;

    explicit IniFile(QString fileName);

    const QString& fileName() const { return m_fileName; }

    // At most MaxValueLength UTF-16 units, never ending inside a surrogate pair; `defaultValue` when
    // the file, section or key is missing or the file cannot be read.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // The whole value, however long: for paths, which the program writes longer than MaxValueLength.
    QString ReadWholeString(const QString& section, const QString& key) const;
    // Decimal with an optional sign, "$hex" or "0xhex"/"0Xhex"; anything else gives `defaultValue`.
    // Hexadecimal values are 32-bit patterns ("$FFFFFFFF" is -1); a value that does not fit in 32 bits
    // gives `defaultValue`.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // Only the exact value "1" is true.
    bool ReadBool(const QString& section, const QString& key) const;

    // A write that cannot reach the file raises IniWriteError and leaves the file untouched. So does a
    // value with a line break or a NUL, and a section or key name that could not be read back as the
    // same name: such a line would change or break the lines around it.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    // Both leave the file untouched when there is nothing to remove; a file that exists but cannot be
    // read raises IniWriteError.
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section); // every section of that name, with all its lines

    // False for a value no write takes (one with a line break or a NUL).
    static bool canHold(QStringView value);

private:
    struct Snapshot;

    [[noreturn]] void raiseWriteError() const;
    std::optional<QString> find(const QString& section, const QString& key) const;

    QString m_fileName;
    QString m_path; // what is read and written: m_fileName, or the file an own link there leads to
    mutable std::shared_ptr<const Snapshot> m_snapshot;
};
