#pragma once

#include "document/Note.h"

#include <QString>

// The window's 16 x 16 image list (ImageList16), by index: the commands, the status panels, the note rows
// and the dialogs all take their pictures from it.
namespace Images {

enum Index : int
{
    None = -1,
    New = 0,
    Open,
    Save,
    Delete,
    Help,
    About,
    Password,
    Add,
    Edit,
    DoneUndone,
    MoveDown,
    MoveUp,
    Done,
    NotDone,
    Folder,
    Options,
    Unlocked,
    SaveAs,
    NewWindow,
    Exit,
    Sort,
    ToTray,
    Find,
    Count
};

#ifdef QUILLET_PNG_PICTURES
inline constexpr char PictureSuffix[] = ".png";
#else
inline constexpr char PictureSuffix[] = ".svg";
#endif

// A picture of the resources by its name ("quillet", "find-48", "00-new").
inline QString picture(const char* name)
{
    return QStringLiteral(":/icons/") + QLatin1String(name) + QLatin1String(PictureSuffix);
}

static_assert(Done == Note::ImageDone && NotDone == Note::ImageNotDone, "a note's row shows its own mark");

} // namespace Images
