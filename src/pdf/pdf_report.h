// The tuning report as a PDF: the text report's contents, then a chart of softpot against
// frequency for every alignment type the radio supports. Needs a QGuiApplication (fonts).
#pragma once

#include "data/radio_record.h"

#include <QPageSize>
#include <QString>

namespace kavrin {

// Writes the report to path on pages of pageSize (A4 or Letter from the page setup). Empty on
// success, else why the file was not written; a file that could not be finished is removed.
QString writePdfReport(const radioRecord& record, const QString& path, const QPageSize& pageSize);

} // namespace kavrin
