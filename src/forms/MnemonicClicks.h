#pragma once

// A button's access key (Alt and the underlined letter) moves the focus to it and clicks it at once. Qt
// shows a pressed button for a moment and clicks it only afterwards, so a key pressed meanwhile (Enter
// for the default button) would act on the old choice; and it leaves the focus where it was, so that
// the user no longer sees or hears where they are. The same for a label's access key that names a button.
namespace MnemonicClicks {

// For the whole application, every dialog included; installing twice changes nothing.
void install();

} // namespace MnemonicClicks
