#include "app/MainFormU.h"

#include "app/NotesListView.h"
#include "forms/Images.h"
#include "forms/OptionsFormU.h"
#include "shared/DebugLog.h"

#include <QPlainTextEdit>

using SharedSrc::DebugLog;

namespace {

// The font's own colour is the text colour; a value that names no colour leaves the text colour alone.
void applyFont(QWidget* widget, const FontValue& font)
{
    widget->setFont(font.toQFont());
    if (const std::optional<QColor> colour = ColorValue::toColor(font.color, widget->palette())) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Text, *colour);
        widget->setPalette(palette);
    }
}

void applyBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

} // namespace

void TMainForm::setNotesListFont(const FontValue& font)
{
    m_notesListFont = font;
    applyFont(NotesList, font);
}

void TMainForm::setNotesListColor(const QColor& color)
{
    applyBackground(NotesList, color);
}

void TMainForm::setNoteTextFont(const FontValue& font)
{
    m_noteTextFont = font;
    applyFont(NoteText, font);
}

void TMainForm::setNoteTextColor(const QColor& color)
{
    applyBackground(NoteText, color);
}

QColor TMainForm::AddEditTextColor() const
{
    return ColorValue::toColor(m_addEditFont.color, palette()).value_or(QColor());
}

void TMainForm::ViewOptionsCmdExecute()
{
    DebugLog("TMainForm.ViewOptionsCmdExecute");
    // Everything is written and applied by the dialog's OK; the result does not matter here.
    TOptionsForm dialog(*this);
    OptionsForm = &dialog;
    dialog.setWindowIcon(image(Images::Options));
    dialog.exec();
    OptionsForm = nullptr;
}
