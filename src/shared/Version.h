#pragma once

// Fixed texts that name this program in files, logs and dialogs.
namespace Quillet {
inline constexpr char ProgramVersion[] = "1.54";
inline constexpr char ContactEmail[] = "quillet@users.sourceforge.net";
inline constexpr char WebAddress[] = "http://quillet.sourceforge.net";
} // namespace Quillet
