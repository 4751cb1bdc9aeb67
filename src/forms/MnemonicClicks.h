#pragma once

// A button's access key (Alt and the underlined letter) clicks it at once. Qt shows a pressed button
// for a moment and clicks it only afterwards, so a key pressed meanwhile (Enter for the default button)
// would act on the old choice.
namespace MnemonicClicks {

// For the whole application, every dialog included; installing twice changes nothing.
void install();

} // namespace MnemonicClicks
