// Automatic alignment's window: while the aligner runs, each reading as it comes and a Cancel
// button; at the end, how the run ended and the results table with FAIL rows marked, Print and
// Export as PDF. It only shows what the run reports and forwards the technician's actions; the
// application runs the aligner and answers Print and Export.
#pragma once

#include "data/alignment_session.h"
#include "data/auto_alignment.h"
#include "data/autotune_run.h"
#include "data/user_interface.h"
#include "pdf/autotune_pdf.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace kavrin::shell {

inline constexpr const char* kAutotuneWindowTitle = "Automatic Alignment";
inline constexpr const char* kFailMarker = "FAIL";

// How a run's end is told: "Finished", or why it stopped.
QString autotuneOutcomeText(const autotuneRun& run);

class CAutotuneWindow : public QWidget,
                        public IAutoAlignReport,
                        public ISessionObserver,
                        public IPause {
    Q_OBJECT
public:
    explicit CAutotuneWindow(QWidget* parent = nullptr);

    // A run begins: the window blocks the rest of the application and offers Cancel.
    void start(const QString& monitorIdentity);
    // The run is over: its results, Print and Export; the rest of the application is free again.
    void finish(const autotuneRun& run, const radioRecord& record);

    bool running() const { return running_; }
    bool cancelRequested() const { return cancelRequested_; }
    // What Print and Export put on paper.
    const autotuneSheet& sheet() const { return sheet_; }

    void reading(const AlignmentTypeInfo& type, std::size_t point, int softpot,
                 double reading) override;
    void pointDone(const pointResult& result) override;

    void rowChanged(std::size_t) override {}
    void statusChanged(const std::string& text) override;
    void note(const std::string& text) override;
    void readRequested(bool) override {}

    // The aligner's waits for the instrument to settle: the window paints and takes the Cancel
    // click meanwhile, while its modality keeps every other window's input out.
    void pause(std::chrono::milliseconds duration) override;

signals:
    void readingShown();
    void finished();
    void printRequested();
    void exportPdfRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setStatus(const QString& text);
    void setModal(bool modal);

    QLabel* status_;
    QLabel* current_;
    QTableWidget* readings_;
    QTableWidget* results_;
    QPushButton* cancel_;
    QPushButton* print_;
    QPushButton* export_;
    QPushButton* close_;
    autotuneSheet sheet_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

} // namespace kavrin::shell
