#pragma once

#include <QByteArray>
#include <QLocale>
#include <QStringView>

struct UCollator;

// Case-sensitive collation keys of one locale, as QCollator makes them, compared as bytes: two keys
// compare as their texts collate. ICU's own call, with room for the whole key the first time: QCollator
// guesses the room from the text's length, which Chinese keys outgrow, so that it makes most of them
// twice. One object per thread.
class CollationKeys
{
public:
    explicit CollationKeys(const QLocale& locale);
    ~CollationKeys();
    CollationKeys(const CollationKeys&) = delete;
    CollationKeys& operator=(const CollationKeys&) = delete;

    // Without a collator for the locale (ICU falls back to its root collation first), every key is the
    // same, as QCollator's then are. The key lies in this object until the next call.
    QByteArrayView key(QStringView text);

private:
    UCollator* m_collator = nullptr;
    QByteArray m_scratch;
};
