// The one font every window of the program uses.
#pragma once

namespace snapnook {

/// Makes the program's dialog font the application's default font: a plain sans-serif of
/// 8.25 points (11 pixels at 96 dots per inch), which the windows' fixed pixel layouts are
/// made for. No control sets a font of its own; the splash's labels are the exception.
void UseDialogFont();

}  // namespace snapnook
