#pragma once

class QSpinBox;

// An interval spin box takes 0 or 10 to 1440 minutes. While the engineer types, its text may pass through
// 1 to 9 on the way to a longer number ("1" before "15"), so only typing leaves such a value in the box;
// the arrow keys, the program and the end of the edit lift it to 10.
namespace intervalbox {

// Watches the box's typing and lifts its value when the edit ends (Enter, focus leaving).
void install(QSpinBox *box);

// Whether the value the box is reporting right now comes from the engineer's typing or pasting, rather
// than from a step (arrow keys, wheel, arrow buttons) or from the program.
bool isTyping(const QSpinBox *box);

} // namespace intervalbox
