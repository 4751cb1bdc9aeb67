#include "document/NoteCommands.h"

#include "document/NotesModel.h"
#include "shared/AnsiText.h"

#include <algorithm>
#include <utility>

namespace NoteCommands {
namespace {

qsizetype bytesOf(const Note& note)
{
    return note.text.size() + note.priority.size();
}

qsizetype bytesOf(const QByteArray& bytes)
{
    return bytes.size();
}

qsizetype bytesOf(int)
{
    return 0;
}

class InsertStep final : public NoteStep
{
public:
    InsertStep(int row, Note note) : m_row(row), m_note(std::move(note)) {}

    int redo(DocumentParts& parts) override
    {
        m_row = std::clamp(m_row, 0, parts.model.rowCount());
        parts.model.insertNote(m_row, std::exchange(m_note, Note()));
        return m_row;
    }

    // The selection goes back to the note the new one was added below.
    int undo(DocumentParts& parts) override
    {
        m_note = parts.model.note(m_row);
        parts.model.removeNote(m_row);
        return std::max(m_row - 1, 0);
    }

    qsizetype heldBytes() const override { return bytesOf(m_note); }

private:
    int m_row;
    Note m_note; // while it is not in the list
};

class RemoveStep final : public NoteStep
{
public:
    explicit RemoveStep(int row) : m_row(row) {}

    // The note that moved up into the place is selected, or the new last one.
    int redo(DocumentParts& parts) override
    {
        m_note = parts.model.note(m_row);
        parts.model.removeNote(m_row);
        return m_row < parts.model.rowCount() ? m_row : m_row - 1;
    }

    int undo(DocumentParts& parts) override
    {
        parts.model.insertNote(m_row, std::exchange(m_note, Note()));
        return m_row;
    }

    qsizetype heldBytes() const override { return bytesOf(m_note); }

private:
    const int m_row;
    Note m_note; // while it is not in the list
};

// Puts a value held by the step into one row and keeps what the row had: undo and redo are the same
// exchange. `Field` picks the part of the note that changes.
template <typename Value, Value& (*Field)(Note&)> class ExchangeStep final : public NoteStep
{
public:
    ExchangeStep(int row, Value value) : m_row(row), m_value(std::move(value)) {}

    int redo(DocumentParts& parts) override { return exchange(parts.model); }
    int undo(DocumentParts& parts) override { return exchange(parts.model); }
    qsizetype heldBytes() const override { return bytesOf(m_value); }

private:
    int exchange(NotesModel& model)
    {
        Note note = model.note(m_row); // shares the text: nothing is copied
        std::swap(Field(note), m_value);
        model.setNote(m_row, std::move(note));
        return m_row;
    }

    const int m_row;
    Value m_value;
};

Note& wholeNote(Note& note)
{
    return note;
}

QByteArray& priorityOf(Note& note)
{
    return note.priority;
}

int& imageOf(Note& note)
{
    return note.imageIndex;
}

class SwapStep final : public NoteStep
{
public:
    SwapStep(int row, int with) : m_row(row), m_with(with) {}

    // The selection follows the moved note.
    int redo(DocumentParts& parts) override
    {
        parts.model.swapNotes(m_row, m_with);
        return m_with;
    }

    int undo(DocumentParts& parts) override
    {
        parts.model.swapNotes(m_row, m_with);
        return m_row;
    }

    qsizetype heldBytes() const override { return 0; }

private:
    const int m_row;
    const int m_with;
};

class MoveStep final : public NoteStep
{
public:
    MoveStep(int from, int to) : m_from(from), m_to(to) {}

    // The selection follows the moved note.
    int redo(DocumentParts& parts) override
    {
        parts.model.moveNote(m_from, m_to);
        return m_to;
    }

    int undo(DocumentParts& parts) override
    {
        parts.model.moveNote(m_to, m_from);
        return m_from;
    }

    qsizetype heldBytes() const override { return 0; }

private:
    const int m_from;
    const int m_to;
};

// The rows keep their selection through persistent indexes, so neither way selects anything.
class SortStep final : public NoteStep
{
public:
    SortStep(NotesSorter::SortBy by, bool ascending) : m_by(by), m_ascending(ascending) {}

    int redo(DocumentParts& parts) override
    {
        if (m_sorted)
            parts.model.arrangeRows(m_order);
        else
            m_order = NotesSorter::sort(parts.model, m_by, m_ascending);
        m_sorted = true;
        return KeepSelection;
    }

    int undo(DocumentParts& parts) override
    {
        parts.model.arrangeRowsBack(m_order);
        return KeepSelection;
    }

    qsizetype heldBytes() const override { return m_order.size() * qsizetype(sizeof(int)); }

private:
    const NotesSorter::SortBy m_by;
    const bool m_ascending;
    bool m_sorted = false;
    QList<int> m_order; // row k of the sorted list was row m_order[k] before
};

class AppendStep final : public NoteStep
{
public:
    explicit AppendStep(QList<Note> notes) : m_count(int(notes.size())), m_notes(std::move(notes)) {}

    int redo(DocumentParts& parts) override
    {
        parts.model.appendNotes(std::exchange(m_notes, QList<Note>()));
        return KeepSelection;
    }

    int undo(DocumentParts& parts) override
    {
        m_notes = parts.model.takeLastNotes(m_count);
        return KeepSelection;
    }

    qsizetype heldBytes() const override
    {
        qsizetype bytes = 0;
        for (const Note& note : m_notes)
            bytes += bytesOf(note);
        return bytes;
    }

private:
    const int m_count;
    QList<Note> m_notes; // while they are not in the list
};

// Undoing a password change brings back the key that went with the password, without deriving it again.
class PasswordStep final : public NoteStep
{
public:
    explicit PasswordStep(Protection protection) : m_protection(std::move(protection)) {}

    int redo(DocumentParts& parts) override { return exchange(parts); }
    int undo(DocumentParts& parts) override { return exchange(parts); }
    qsizetype heldBytes() const override
    {
        return m_protection.password.size() + (m_protection.key ? m_protection.key->key.size() : 0);
    }

private:
    int exchange(DocumentParts& parts)
    {
        std::swap(parts.protection, m_protection);
        return KeepSelection;
    }

    Protection m_protection;
};

template <typename Step, typename... Args> Named named(const char* name, Args&&... args)
{
    return {std::make_unique<Step>(std::forward<Args>(args)...), QString::fromUtf8(name)};
}

} // namespace

Named insertNote(int row, Note note)
{
    return named<InsertStep>("添加", row, std::move(note));
}

Named setNote(int row, Note note)
{
    return named<ExchangeStep<Note, wholeNote>>("编辑", row, std::move(note));
}

Named removeNote(int row)
{
    return named<RemoveStep>("删除", row);
}

Named swapNotes(int row, int with)
{
    return named<SwapStep>(with < row ? "上移" : "下移", row, with);
}

Named moveNote(int from, int to)
{
    return named<MoveStep>("移动", from, to);
}

Named setPriority(int row, const QByteArray& name)
{
    Named step = named<ExchangeStep<QByteArray, priorityOf>>("", row, name);
    step.name = QStringLiteral("设置") + AnsiText::toUnicode(name) + QStringLiteral("优先级");
    return step;
}

Named setDone(int row, bool done)
{
    return named<ExchangeStep<int, imageOf>>("完成/未完成", row, done ? Note::ImageDone : Note::ImageNotDone);
}

Named sort(NotesSorter::SortBy by, bool ascending)
{
    return named<SortStep>("排列", by, ascending);
}

Named appendNotes(QList<Note> notes)
{
    return named<AppendStep>("导入", std::move(notes));
}

Named setProtection(Protection protection)
{
    return named<PasswordStep>("设置密码", std::move(protection));
}

} // namespace NoteCommands
