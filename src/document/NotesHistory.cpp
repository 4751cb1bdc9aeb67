#include "document/NotesHistory.h"

#include <QUndoCommand>

#include <memory>
#include <utility>
#include <vector>

namespace {

// A step on the stack. The step itself is shared, so that the steps kept when older ones are dropped can
// be put on the stack again without being made a second time.
class StepCommand final : public QUndoCommand
{
public:
    StepCommand(std::shared_ptr<NoteStep> step, const QString& name, DocumentParts& parts, bool made)
        : QUndoCommand(name), m_step(std::move(step)), m_parts(parts), m_made(made)
    {}

    void redo() override
    {
        // The stack redoes what it is given; a step put back after a drop is made already.
        if (std::exchange(m_made, false))
            return;
        m_row = m_step->redo(m_parts);
    }

    void undo() override { m_row = m_step->undo(m_parts); }

    const std::shared_ptr<NoteStep>& step() const { return m_step; }
    // The row to select after the last undo or redo.
    int row() const { return m_row; }

private:
    const std::shared_ptr<NoteStep> m_step;
    DocumentParts& m_parts;
    bool m_made;
    int m_row = NoteStep::KeepSelection;
};

const StepCommand* commandAt(const QUndoStack& stack, int index)
{
    return static_cast<const StepCommand*>(stack.command(index));
}

qsizetype costOf(const QUndoStack& stack, int index)
{
    return commandAt(stack, index)->step()->heldBytes() + NotesHistory::StepCost;
}

} // namespace

NotesHistory::NotesHistory(DocumentParts parts, QObject* parent) : QObject(parent), m_parts(parts)
{
    const auto tell = [this] {
        if (!m_rebuilding)
            Q_EMIT changed();
    };
    connect(&m_stack, &QUndoStack::indexChanged, this, tell);
    connect(&m_stack, &QUndoStack::cleanChanged, this, tell);
}

// The stack empties itself as it goes, which is no change anyone watching should hear of: they may be
// half gone already.
NotesHistory::~NotesHistory()
{
    m_stack.blockSignals(true);
}

void NotesHistory::apply(NoteCommands::Named step)
{
    m_stack.push(new StepCommand(std::shared_ptr<NoteStep>(std::move(step.step)), step.name, m_parts, false));
    keepWithinBudget();
}

int NotesHistory::undo()
{
    if (!canUndo())
        return NoteStep::KeepSelection;
    const StepCommand* command = commandAt(m_stack, m_stack.index() - 1);
    m_stack.undo();
    return command->row();
}

int NotesHistory::redo()
{
    if (!canRedo())
        return NoteStep::KeepSelection;
    const StepCommand* command = commandAt(m_stack, m_stack.index());
    m_stack.redo();
    return command->row();
}

qsizetype NotesHistory::heldBytes() const
{
    qsizetype bytes = 0;
    for (int i = 0; i < m_stack.count(); ++i)
        bytes += costOf(m_stack, i);
    return bytes;
}

// Runs after a push, when no step waits to be redone. QUndoStack cannot drop its oldest commands, so the
// newest are put on an emptied stack again, with the saved state where it was.
void NotesHistory::keepWithinBudget()
{
    if (heldBytes() <= ByteBudget)
        return;
    // Down to three quarters, so that a full history is not rebuilt on every change.
    const qsizetype target = ByteBudget / 4 * 3;
    int first = m_stack.count() - 1;
    qsizetype kept = costOf(m_stack, first);
    while (first > 0 && kept + costOf(m_stack, first - 1) <= target)
        kept += costOf(m_stack, --first);

    struct Kept
    {
        std::shared_ptr<NoteStep> step;
        QString name;
    };
    std::vector<Kept> steps;
    for (int i = first; i < m_stack.count(); ++i)
        steps.push_back({commandAt(m_stack, i)->step(), m_stack.text(i)});
    // Negative when the saved state was among the dropped steps: it cannot be reached again.
    const int cleanIndex = m_stack.cleanIndex() < 0 ? -1 : m_stack.cleanIndex() - first;

    m_rebuilding = true;
    m_stack.clear();
    m_stack.resetClean();
    for (size_t i = 0; i < steps.size(); ++i) {
        if (int(i) == cleanIndex)
            m_stack.setClean();
        m_stack.push(new StepCommand(steps[i].step, steps[i].name, m_parts, true));
    }
    if (cleanIndex == int(steps.size()))
        m_stack.setClean();
    m_rebuilding = false;
    Q_EMIT changed();
}
