// screenFont: the bold 18-pixel "Times New Roman" of every form screen's controls, and the way a
// fixed text keeps its whole text in that font.
#pragma once

#include <QFont>

class QLabel;

namespace kavrin::screens {

const QFont& screenFont();

// The form's font is wider than the one the screens' rectangles were drawn for: a fixed text
// keeps its place and height but grows to the width of its text, never less than it was given.
void fitToText(QLabel& label);

} // namespace kavrin::screens
