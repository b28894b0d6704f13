// The instrument layer's logging category: every line to and from a service monitor at debug
// level.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcInstrument)
