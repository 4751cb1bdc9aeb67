#include "platform/WindowsRegistry.h"

#include <QList>

namespace WindowsRegistry {
namespace {

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// Closes the key on every path.
class OpenKey
{
public:
    OpenKey(HKEY root, const QString& subKey, REGSAM access, bool create)
    {
        m_status = create ? RegCreateKeyExW(root, wide(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                            nullptr, &m_key, nullptr)
                          : RegOpenKeyExW(root, wide(subKey), 0, access, &m_key);
    }
    ~OpenKey()
    {
        if (m_status == ERROR_SUCCESS)
            RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    LSTATUS status() const { return m_status; }
    HKEY key() const { return m_key; }

private:
    HKEY m_key = nullptr;
    LSTATUS m_status = ERROR_INVALID_HANDLE;
};

} // namespace

std::optional<QString> readString(HKEY root, const QString& subKey, const QString& name, bool* opened)
{
    const OpenKey key(root, subKey, KEY_QUERY_VALUE, false);
    if (opened)
        *opened = key.status() == ERROR_SUCCESS;
    if (key.status() != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.key(), wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    QList<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.key(), wide(name), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The stored text may or may not end with its zero.
    return QString::fromWCharArray(buffer.constData(), qsizetype(wcsnlen(buffer.constData(), buffer.size())));
}

LSTATUS writeString(HKEY root, const QString& subKey, const QString& name, const QString& value, bool create)
{
    const OpenKey key(root, subKey, KEY_SET_VALUE, create);
    if (key.status() != ERROR_SUCCESS)
        return key.status();
    // The length counts the terminating zero.
    return RegSetValueExW(key.key(), wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.utf16()),
                          DWORD((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS deleteValue(HKEY root, const QString& subKey, const QString& name)
{
    const OpenKey key(root, subKey, KEY_SET_VALUE, false);
    if (key.status() != ERROR_SUCCESS)
        return key.status();
    return RegDeleteValueW(key.key(), wide(name));
}

QString messageFor(LSTATUS code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        DWORD(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = length ? QString::fromWCharArray(text, length).trimmed() : QString();
    LocalFree(text);
    return message;
}

} // namespace WindowsRegistry
