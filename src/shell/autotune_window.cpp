// Automatic alignment's window.
#include "shell/autotune_window.h"

#include "data/report.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace kavrin::shell {

namespace {

const QColor kFailFill(255, 214, 214);
constexpr int kPaintSliceMs = 20;

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QTableWidget* makeTable(const QStringList& columns, const QString& name, QWidget* parent) {
    auto* table = new QTableWidget(0, static_cast<int>(columns.size()), parent);
    table->setHorizontalHeaderLabels(columns);
    table->setAccessibleName(name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

void appendRow(QTableWidget* table, const QStringList& cells) {
    const int row = table->rowCount();
    table->insertRow(row);
    for (int column = 0; column < cells.size(); ++column) {
        table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
}

} // namespace

QString autotuneOutcomeText(const autotuneRun& run) {
    switch (run.stop) {
    case autoAligner::Stop::Finished:
        return QStringLiteral("Finished");
    case autoAligner::Stop::Cancelled:
        return QStringLiteral("Cancelled: %1").arg(QString::fromStdString(run.failure));
    case autoAligner::Stop::Failed:
        break;
    }
    return QStringLiteral("Stopped: %1").arg(QString::fromStdString(run.failure));
}

CAutotuneWindow::CAutotuneWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), status_(new QLabel(this)), current_(new QLabel(this)),
      readings_(makeTable({"Screen", "Point", "Softpot", "Reading", "Unit"},
                          QStringLiteral("Readings"), this)),
      results_(makeTable({}, QStringLiteral("Results"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      print_(new QPushButton(QStringLiteral("&Print..."), this)),
      export_(new QPushButton(QStringLiteral("&Export as PDF…"), this)),
      close_(new QPushButton(QStringLiteral("Close"), this)) {
    setWindowTitle(kAutotuneWindowTitle);
    QStringList columns;
    for (const char* column : kResultColumns) {
        columns << column;
    }
    results_->setColumnCount(static_cast<int>(columns.size()));
    results_->setHorizontalHeaderLabels(columns);
    status_->setAccessibleName(QStringLiteral("Run status"));
    status_->setWordWrap(true);
    current_->setAccessibleName(QStringLiteral("Current point"));
    cancel_->setAccessibleName(QStringLiteral("Cancel"));
    print_->setAccessibleName(QStringLiteral("Print"));
    export_->setAccessibleName(QStringLiteral("Export as PDF…"));
    close_->setAccessibleName(QStringLiteral("Close"));

    // The aligner asks before every measurement; the click only leaves word for it.
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelRequested_ = true;
        cancel_->setEnabled(false);
        setStatus(QStringLiteral("Cancelling: the radio is dekeyed after this reading..."));
    });
    connect(print_, &QPushButton::clicked, this, &CAutotuneWindow::printRequested);
    connect(export_, &QPushButton::clicked, this, &CAutotuneWindow::exportPdfRequested);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto* button : {cancel_, print_, export_, close_}) {
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(current_);
    layout->addWidget(readings_, 1);
    layout->addWidget(results_, 2);
    layout->addLayout(buttons);
    resize(920, 620);
    print_->hide();
    export_->hide();
    close_->hide();
    results_->hide();
}

void CAutotuneWindow::start(const QString& monitorIdentity) {
    running_ = true;
    cancelRequested_ = false;
    sheet_ = {};
    readings_->setRowCount(0);
    results_->setRowCount(0);
    results_->hide();
    readings_->show();
    cancel_->setEnabled(true);
    cancel_->show();
    for (auto* button : {print_, export_, close_}) {
        button->hide();
    }
    setStatus(QStringLiteral("Aligning with %1").arg(monitorIdentity));
    current_->clear();
    setModal(true);
}

void CAutotuneWindow::finish(const autotuneRun& run, const radioRecord& record) {
    running_ = false;
    sheet_ = {record, autotuneOutcomeText(run), run.results};
    results_->setRowCount(0);
    for (const auto& result : run.results) {
        const auto cells = resultCells(result);
        QStringList texts;
        for (const auto& cell : cells) {
            texts << QString::fromStdString(cell);
        }
        appendRow(results_, texts);
        if (result.verdict == pointVerdict::Fail) {
            const int row = results_->rowCount() - 1;
            for (int column = 0; column < results_->columnCount(); ++column) {
                results_->item(row, column)->setBackground(kFailFill);
            }
            auto* verdict = results_->item(row, static_cast<int>(kResultColumn));
            auto font = verdict->font();
            font.setBold(true);
            verdict->setFont(font);
        }
    }
    const auto failed = std::count_if(run.results.begin(), run.results.end(), [](const auto& r) {
        return r.verdict == pointVerdict::Fail;
    });
    setStatus(failed == 0
                  ? sheet_.outcome
                  : QStringLiteral("%1 — %2 point(s) failed").arg(sheet_.outcome).arg(failed));
    current_->clear();
    readings_->hide();
    results_->show();
    cancel_->hide();
    for (auto* button : {print_, export_, close_}) {
        button->show();
    }
    setModal(false);
    emit finished();
}

void CAutotuneWindow::setModal(bool modal) {
    // Modality changes only while the window is hidden.
    const bool shown = isVisible();
    hide();
    setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    if (shown || modal) {
        show();
        raise();
    }
}

void CAutotuneWindow::setStatus(const QString& text) {
    status_->setText(text);
    status_->repaint();
}

void CAutotuneWindow::reading(const AlignmentTypeInfo& type, std::size_t point, int softpot,
                              double value) {
    const auto text = QString::fromStdString(decimalText(value, 3));
    const auto unit = QString::fromLatin1(readingUnitName(type));
    appendRow(readings_, {fromView(type.title), QStringLiteral("F%1").arg(point + 1),
                          QString::number(softpot), text, unit});
    readings_->scrollToBottom();
    current_->setText(QStringLiteral("%1 F%2: softpot %3 reads %4 %5")
                          .arg(fromView(type.title))
                          .arg(point + 1)
                          .arg(softpot)
                          .arg(text, unit));
    // A reading is also a moment to take a Cancel click when the settle time is nil.
    QCoreApplication::processEvents(QEventLoop::AllEvents, kPaintSliceMs);
    emit readingShown();
}

void CAutotuneWindow::pointDone(const pointResult& result) {
    current_->setText(QStringLiteral("%1 F%2: %3")
                          .arg(fromView(result.type->title))
                          .arg(result.point + 1)
                          .arg(QString::fromLatin1(verdictText(result.verdict))));
    current_->repaint();
}

void CAutotuneWindow::statusChanged(const std::string& text) {
    if (!text.empty()) {
        current_->setText(QString::fromStdString(text));
        current_->repaint();
    }
}

void CAutotuneWindow::note(const std::string& text) {
    setStatus(QString::fromStdString(text));
}

void CAutotuneWindow::pause(std::chrono::milliseconds duration) {
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPaintSliceMs);
        if (timer.elapsed() < duration.count()) {
            QThread::msleep(static_cast<unsigned long>(
                std::min<qint64>(kPaintSliceMs / 2, duration.count() - timer.elapsed())));
        }
    } while (timer.elapsed() < duration.count());
}

void CAutotuneWindow::closeEvent(QCloseEvent* event) {
    // The run cannot be left behind on a keyed radio: closing asks it to stop, as Cancel does.
    if (running_) {
        cancel_->click();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace kavrin::shell
