#pragma once

#include <QByteArray>

// One note of the document. Text and priority name are byte strings in the ANSI code page; the caption
// is not stored, it is always derived from the text (SharedSrc::ExtractCaption).
struct Note
{
    static constexpr int ImageDone = 12;
    static constexpr int ImageNotDone = 13;

    // A note read from a file is a view into the file's buffer, which its model keeps (fromRawData): a copy
    // that must outlive the model's notes is made by detached().
    QByteArray text;
    QByteArray priority; // one of the four priority names, or whatever a foreign file produced
    int imageIndex = ImageNotDone;

    // Only image 12 counts as done; any other value is not done.
    bool isDone() const { return imageIndex == ImageDone; }

    Note detached() const { return {QByteArray(text.constData(), text.size()), priority, imageIndex}; }

    friend bool operator==(const Note&, const Note&) = default;
};

// Its parts are relocatable, so the list of notes moves them as bytes: inserting into a long list, or
// growing one, does not move each note on its own.
Q_DECLARE_TYPEINFO(Note, Q_RELOCATABLE_TYPE);
