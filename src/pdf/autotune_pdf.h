// Automatic alignment's results on paper: the radio, how the run ended and the results table,
// FAIL rows marked, drawn with QPainter alone onto any paged device — a PDF file or a printer.
#pragma once

#include "data/auto_alignment.h"
#include "data/radio_record.h"

#include <QPageSize>
#include <QString>
#include <vector>

class QPagedPaintDevice;

namespace kavrin {

// What heads the results: the radio and how the run ended.
struct autotuneSheet {
    radioRecord record;
    QString outcome; // "Finished", or why the run stopped
    std::vector<pointResult> results;
};

// Draws the sheet on the device's pages; false when the device could not be painted on.
bool paintAutotuneResults(QPagedPaintDevice& device, const autotuneSheet& sheet);

// Writes the sheet to path as a PDF on landscape pages of pageSize. Empty on success, else why
// the file was not written; a file that could not be finished leaves the old one as it was.
QString writeAutotuneResultsPdf(const autotuneSheet& sheet, const QString& path,
                                const QPageSize& pageSize);

} // namespace kavrin
