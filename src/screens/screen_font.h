// screenFont: the bold 18-pixel "Times New Roman" of every form screen's controls.
#pragma once

#include <QFont>

namespace kavrin::screens {

const QFont& screenFont();

} // namespace kavrin::screens
