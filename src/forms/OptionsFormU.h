#pragma once

#include "forms/FontSettings.h"
#include "shared/IniFile.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <array>
#include <functional>

class OptionsHost;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// General options, the fonts and background colours of the three text areas, how the window shows the
// notes, start with the desktop, and the .qlt file association. Nothing is written or applied before OK,
// except the file association, which its button registers at once.
class TOptionsForm : public QDialog
{
    Q_OBJECT

public:
    // Both return whether the user confirmed; on confirmation the chosen value is in the argument.
    // Tests put their own here, so that no real dialog blocks them.
    using FontDialog = std::function<bool(QFont& font, QColor& color, QWidget* parent)>;
    using ColorDialog = std::function<bool(QColor& color, QWidget* parent)>;

    explicit TOptionsForm(OptionsHost& host);

    void setFontDialog(FontDialog dialog);
    void setColorDialog(ColorDialog dialog);

    bool ShowFontDialog(FontValue& font);
    bool ShowColorDialog(QColor& color);

    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* LoadAtWinStart = nullptr;
    QCheckBox* MinToTray = nullptr;
    QCheckBox* OpenLastFile = nullptr;
    QCheckBox* AutoSave = nullptr;
    QCheckBox* MinOnClose = nullptr;
    QPushButton* RegisterFileTypeBtn = nullptr;

    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* NotesListTextSample = nullptr;
    QPushButton* NotesListFont = nullptr;
    QPushButton* NotesListColor = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* NoteTextSample = nullptr;
    QPushButton* NotesTextFont = nullptr;
    QPushButton* NotesTextColor = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* AddEditTextSample = nullptr;
    QPushButton* AddEditTextFont = nullptr;
    QPushButton* AddEditTextColor = nullptr;
    QCheckBox* ResizableWindow = nullptr;
    QCheckBox* WordWrap = nullptr;
    QCheckBox* PriorityColors = nullptr;
    QMenu* EmptyMenu = nullptr;

    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

public Q_SLOTS:
    void OkBtnClick();
    void LoadAtWinStartClick();
    void RegisterFileTypeBtnClick();
    void NotesListFontClick();
    void NotesTextFontClick();
    void AddEditTextFontClick();
    void NotesListColorClick();
    void NotesTextColorClick();
    void AddEditTextColorClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum Row
    {
        NotesListRow,
        NoteTextRow,
        AddEditRow,
        RowCount
    };

    void FormCreate();
    void FormShow();
    QLineEdit* sample(Row row) const;
    void setSampleFont(Row row, const FontValue& font);
    void setSampleColor(Row row, qint32 value, const QColor& color);
    void chooseFont(Row row);
    void chooseColor(Row row);

    OptionsHost& m_host;
    IniFile m_iniFile;
    FontDialog m_fontDialog;
    ColorDialog m_colorDialog;
    // The working copies the samples show. The fonts keep what a QFont cannot hold (character set,
    // colour); the colours keep their settings value, so that a system colour is written back as itself.
    std::array<FontValue, RowCount> m_fonts;
    std::array<qint32, RowCount> m_colors{};
};

// The dialog while it is open, as the command that opens it holds it.
inline TOptionsForm* OptionsForm = nullptr;
