#include "document/NotesHistory.h"

#include <utility>

NotesHistory::NotesHistory(DocumentParts parts, QObject* parent) : QObject(parent), m_parts(parts) {}

void NotesHistory::apply(NoteCommands::Named step)
{
    // The steps undone before are gone, and with them the saved state when it was among them.
    m_steps.resize(size_t(m_done));
    if (m_clean > m_done)
        m_clean = -1;
    step.step->redo(m_parts);
    m_steps.push_back({std::move(step.step), std::move(step.name)});
    ++m_done;
    keepWithinBudget();
    Q_EMIT changed();
}

int NotesHistory::undo()
{
    if (!canUndo())
        return NoteStep::KeepSelection;
    const int row = m_steps[size_t(--m_done)].step->undo(m_parts);
    Q_EMIT changed();
    return row;
}

int NotesHistory::redo()
{
    if (!canRedo())
        return NoteStep::KeepSelection;
    const int row = m_steps[size_t(m_done++)].step->redo(m_parts);
    Q_EMIT changed();
    return row;
}

qsizetype NotesHistory::heldBytes() const
{
    qsizetype bytes = 0;
    for (const Step& step : m_steps)
        bytes += step.cost();
    return bytes;
}

void NotesHistory::setClean()
{
    if (std::exchange(m_clean, m_done) != m_done)
        Q_EMIT changed();
}

void NotesHistory::forgetSavedState()
{
    if (std::exchange(m_clean, -1) != -1)
        Q_EMIT changed();
}

void NotesHistory::clear()
{
    const bool had = !m_steps.empty() || m_clean != 0;
    m_steps.clear();
    m_done = 0;
    m_clean = 0;
    if (had)
        Q_EMIT changed();
}

// Runs after a step is made, when no step waits to be redone. The oldest steps go first; the newest
// always stays.
void NotesHistory::keepWithinBudget()
{
    qsizetype held = heldBytes();
    if (held <= ByteBudget)
        return;
    // Down to three quarters, so that a full history is not trimmed on every change.
    const qsizetype target = ByteBudget / 4 * 3;
    while (m_steps.size() > 1 && held > target) {
        held -= m_steps.front().cost();
        m_steps.pop_front();
        --m_done;
        // Below zero when the saved state was among the dropped steps: it cannot be reached again.
        if (m_clean >= 0)
            --m_clean;
    }
}
