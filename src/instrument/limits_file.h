// Where the shipped limits of automatic alignment are: the file "limits/default.ini" beside the
// program, or the source tree's res/limits/default.ini for a program run from its build tree
// without them. The command line and the application both start from it.
#pragma once

#include <QString>

namespace kavrin {

QString shippedLimitsFile();

} // namespace kavrin
