#include "document/CollationKeys.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <utility>

CollationKeys::CollationKeys(const QLocale& locale)
{
    // The settings QCollator gives a case-sensitive collator.
    UErrorCode status = U_ZERO_ERROR;
    m_collator = ucol_open(locale.bcp47Name().replace(u'-', u'_').toLatin1().constData(), &status);
    if (U_FAILURE(status)) {
        m_collator = nullptr;
        return;
    }
    const std::pair<UColAttribute, UColAttributeValue> settings[] = {
        {UCOL_NORMALIZATION_MODE, UCOL_ON},
        {UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH},
        {UCOL_NUMERIC_COLLATION, UCOL_OFF},
        {UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE},
    };
    for (const auto& [attribute, value] : settings) {
        status = U_ZERO_ERROR;
        ucol_setAttribute(m_collator, attribute, value, &status);
    }
}

CollationKeys::~CollationKeys()
{
    if (m_collator)
        ucol_close(m_collator);
}

QByteArrayView CollationKeys::key(QStringView text)
{
    static_assert(sizeof(UChar) == sizeof(char16_t));
    if (!m_collator)
        return {};
    const auto* characters = reinterpret_cast<const UChar*>(text.utf16());
    // Keys of Chinese texts take up to about five bytes a character.
    const qsizetype room = 16 + 6 * text.size();
    if (m_scratch.size() < room)
        m_scratch.resize(room);
    int size = ucol_getSortKey(m_collator, characters, int(text.size()),
                               reinterpret_cast<uint8_t*>(m_scratch.data()), int(m_scratch.size()));
    if (size > m_scratch.size()) {
        m_scratch.resize(size);
        size = ucol_getSortKey(m_collator, characters, int(text.size()),
                               reinterpret_cast<uint8_t*>(m_scratch.data()), int(m_scratch.size()));
    }
    return QByteArrayView(m_scratch.constData(), std::max(size, 0));
}
