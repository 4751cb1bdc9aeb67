#include "TestNotes.h"

#include "TestFiles.h"

#include "document/QltFormat.h"
#include "document/StrongFormat.h"
#include "shared/AnsiText.h"

QByteArray gb(QStringView text)
{
    return AnsiText::fromUnicode(text);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

Note makeNote(QStringView text, QStringView priority, bool done)
{
    return Note{gb(text), gb(priority), done ? Note::ImageDone : Note::ImageNotDone};
}

QByteArray golden(QStringView name)
{
    return readFile(QStringLiteral(QUILLET_GOLDEN_DIR "/") + name.toString());
}

QList<Note> goldenNotes(QStringView name)
{
    const Note shopping = makeNote(u"购物清单\r\n牛奶\r\n面包", u"高");
    const Note twoByte = makeNote(u"Café · Ωμεγα · Кириллица", u"最高", true);
    if (name == u"plain.qlt")
        return {shopping, makeNote(u"", u"低", true), twoByte, makeNote(u"last\r\n")};
    if (name == u"password.qlt")
        return {makeNote(u"秘密\r\n第二行", u"最高", true), makeNote(u"x", u"低")};
    if (name == u"odd-fields.qlt")
        return {makeNote(u"a", u"标准", true), makeNote(u"b")};
    if (name == u"strong.qlt")
        return {shopping, twoByte};
    return {};
}

QByteArray notesFile(const QList<Note>& notes, const QByteArray& password, quint32 reserved)
{
    return QltFormat::write(notes, password, reserved);
}

KeyDerivation::Key cheapKey(const QByteArray& password)
{
    return KeyDerivation::derive(SecretBytes(password), KeyDerivation::fresh(KeyDerivation::Lowest)).value();
}

QByteArray strongFile(const QList<Note>& notes, const QByteArray& password, quint32 reserved)
{
    return StrongFormat::write(notes, reserved, cheapKey(password));
}

QList<Note> notesIn(const QString& path, const QByteArray& password)
{
    const QByteArray bytes = readFile(path);
    if (StrongFormat::isStrong(bytes)) {
        const std::optional<KeyDerivation::Params> params = StrongFormat::readParams(bytes);
        const std::optional<KeyDerivation::Key> key =
            params ? KeyDerivation::derive(SecretBytes(password), *params) : std::nullopt;
        return key ? StrongFormat::readNotes(bytes, key->key).value_or(QList<Note>()) : QList<Note>();
    }
    if (QltFormat::readHeader(bytes).error != QltFormat::Error::None)
        return {};
    return QltFormat::readNotes(bytes.mid(QltFormat::StreamOffset), QltFormat::streamKey(password))
        .value_or(QList<Note>());
}

QList<Note> detached(QList<Note> notes)
{
    for (Note& note : notes)
        note = note.detached();
    return notes;
}
