// The History window: the store's radios and snapshots in tables, the comparison and the charts
// built from the snapshots' records, and the buttons that hand a record to the application.
#include "shell/history_window.h"

#include "data/alignment_types.h"
#include "data/record_compare.h"
#include "history/history_snapshot.h"
#include "history/history_url.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <optional>
#include <set>
#include <utility>

namespace kavrin::shell {
namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kMinimumWidth = 1000;
constexpr int kMinimumHeight = 640;
constexpr int kListsWidth = 470;
constexpr double kSoftpotAxisMax = kMaxSoftpot;
constexpr int kSoftpotTicks = 8;                // 0, 9, 18, ... 63
constexpr qint64 kLoneTimeMarginMs = 3'600'000; // an hour either side of a single snapshot
constexpr double kLoneFrequencyMargin = 1.0;    // MHz either side of a single point

enum RadioColumn { RadioSerial, RadioModel, RadioLastTime, RadioLastOperation, RadioCount };
enum SnapshotColumn {
    SnapshotTime,
    SnapshotOperation,
    SnapshotOutcome,
    SnapshotHost,
    SnapshotUser
};
enum CompareColumn {
    CompareType,
    ComparePoint,
    CompareFrequency,
    CompareOlder,
    CompareNewer,
    CompareMark
};

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The store keeps UTC; the bench reads local time.
QDateTime snapshotTime(const QString& stored) {
    return QDateTime::fromString(stored, Qt::ISODateWithMs).toLocalTime();
}

QString timeText(const QString& stored) {
    const QDateTime time = snapshotTime(stored);
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : stored;
}

QString operationText(const QString& operation) {
    static const std::map<QString, QString> texts{
        {QString::fromUtf8(kOperationRead), QStringLiteral("Read")},
        {QString::fromUtf8(kOperationProgramAll), QStringLiteral("Program All")},
        {QString::fromUtf8(kOperationScreenProgram), QStringLiteral("Program (screen)")},
        {QString::fromUtf8(kOperationSerialNumber), QStringLiteral("Program Serial No.")},
    };
    const auto it = texts.find(operation);
    return it == texts.end() ? operation : it->second;
}

QString outcomeText(const QString& outcome) {
    return outcome.isEmpty() ? outcome : outcome.front().toUpper() + outcome.mid(1);
}

QString pointText(std::size_t point) {
    return QStringLiteral("F%1").arg(point + 1);
}

// The softpot a record holds for a type at a point: none when the radio does not support the
// type, does not use the point, or (for the KTD types) has no block place for it.
std::optional<std::uint32_t> softpotAt(const radioRecord& record, const AlignmentTypeInfo& type,
                                       std::size_t point) {
    if (!hasSoftpot(record, type, point)) {
        return std::nullopt;
    }
    return record.getCell(softpotCell(type, point));
}

bool sameSoftpots(const radioRecord* a, const radioRecord* b) {
    if (a == nullptr || b == nullptr) {
        return false;
    }
    for (const auto& type : kAlignmentTypes) {
        for (std::size_t point = 0; point < kPointCount; ++point) {
            if (softpotAt(*a, type, point) != softpotAt(*b, type, point)) {
                return false;
            }
        }
    }
    return true;
}

QTableWidget* makeTable(const QString& name, const QStringList& headings) {
    auto* table = new QTableWidget(0, static_cast<int>(headings.size()));
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(headings);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    return table;
}

QTableWidgetItem* cell(const QString& text) {
    return new QTableWidgetItem(text);
}

// Puts a fresh chart into the view; the view gives up the old one, which is ours to delete.
QChart* freshChart(QChartView* view, const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
    return chart;
}

QValueAxis* softpotAxis() {
    auto* axis = new QValueAxis;
    axis->setTitleText(QStringLiteral("Softpot"));
    axis->setRange(0, kSoftpotAxisMax);
    axis->setTickCount(kSoftpotTicks);
    axis->setLabelFormat(QStringLiteral("%d"));
    return axis;
}

QLineSeries* addSeries(QChart* chart, const QString& name) {
    auto* series = new QLineSeries;
    series->setName(name);
    // A series of one point has no line to show; its marker shows it.
    series->setPointsVisible(true);
    chart->addSeries(series);
    return series;
}

void attach(QChart* chart, QAbstractAxis* x, QAbstractAxis* y) {
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (auto* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

} // namespace

CHistoryWindow::CHistoryWindow(QString urlText, IHistoryHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), urlText_(std::move(urlText)), host_(host), state_(new QLabel),
      radios_(makeTable(QStringLiteral("radios"),
                        {QStringLiteral("Serial No."), QStringLiteral("Model No."),
                         QStringLiteral("Last service"), QStringLiteral("Operation"),
                         QStringLiteral("Snapshots")})),
      snapshotTable_(
          makeTable(QStringLiteral("snapshots"),
                    {QStringLiteral("Time"), QStringLiteral("Operation"), QStringLiteral("Outcome"),
                     QStringLiteral("Computer"), QStringLiteral("User")})),
      compareHint_(new QLabel), comparison_(makeTable(QStringLiteral("comparison"), {})),
      typeChoice_(new QComboBox), frequencyChart_(new QChartView), pointChoice_(new QComboBox),
      timeChart_(new QChartView), restore_(new QPushButton(QStringLiteral("Restore…"))),
      export_(new QPushButton(QStringLiteral("Export…"))) {
    setWindowTitle(QString::fromUtf8(kHistoryWindowTitle));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kMinimumWidth, kMinimumHeight);

    state_->setObjectName(QStringLiteral("historyState"));
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    radios_->setSelectionMode(QAbstractItemView::SingleSelection);
    snapshotTable_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    comparison_->setSelectionMode(QAbstractItemView::NoSelection);
    compareHint_->setObjectName(QStringLiteral("compareHint"));
    compareHint_->setWordWrap(true);

    typeChoice_->setObjectName(QStringLiteral("alignmentType"));
    for (const auto& type : kAlignmentTypes) {
        typeChoice_->addItem(fromView(type.title));
    }
    pointChoice_->setObjectName(QStringLiteral("point"));
    for (std::size_t point = 0; point < kPointCount; ++point) {
        pointChoice_->addItem(pointText(point));
    }
    frequencyChart_->setObjectName(QStringLiteral("frequencyChart"));
    frequencyChart_->setRenderHint(QPainter::Antialiasing);
    timeChart_->setObjectName(QStringLiteral("timeChart"));
    timeChart_->setRenderHint(QPainter::Antialiasing);
    restore_->setObjectName(QStringLiteral("restore"));
    restore_->setToolTip(QStringLiteral("Load this snapshot's values as an archive is loaded; "
                                        "Program All then writes them into the radio"));
    export_->setObjectName(QStringLiteral("export"));
    export_->setToolTip(QStringLiteral("Save this snapshot's values as an archive file"));

    auto* radiosBox = new QWidget;
    auto* radiosLayout = new QVBoxLayout(radiosBox);
    radiosLayout->setContentsMargins(0, 0, 0, 0);
    radiosLayout->addWidget(new QLabel(QStringLiteral("Radios")));
    radiosLayout->addWidget(radios_);
    auto* snapshotsBox = new QWidget;
    auto* snapshotsLayout = new QVBoxLayout(snapshotsBox);
    snapshotsLayout->setContentsMargins(0, 0, 0, 0);
    snapshotsLayout->addWidget(
        new QLabel(QStringLiteral("Snapshots (choose two to compare them, Ctrl+click)")));
    snapshotsLayout->addWidget(snapshotTable_);
    auto* lists = new QSplitter(Qt::Vertical);
    lists->addWidget(radiosBox);
    lists->addWidget(snapshotsBox);

    auto* comparePage = new QWidget;
    auto* compareLayout = new QVBoxLayout(comparePage);
    compareLayout->addWidget(compareHint_);
    compareLayout->addWidget(comparison_, 1);
    auto* frequencyPage = new QWidget;
    auto* frequencyLayout = new QVBoxLayout(frequencyPage);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(QStringLiteral("Alignment:")));
    typeRow->addWidget(typeChoice_);
    typeRow->addStretch(1);
    frequencyLayout->addLayout(typeRow);
    frequencyLayout->addWidget(frequencyChart_, 1);
    auto* timePage = new QWidget;
    auto* timeLayout = new QVBoxLayout(timePage);
    auto* pointRow = new QHBoxLayout;
    pointRow->addWidget(new QLabel(QStringLiteral("Point:")));
    pointRow->addWidget(pointChoice_);
    pointRow->addStretch(1);
    timeLayout->addLayout(pointRow);
    timeLayout->addWidget(timeChart_, 1);
    auto* tabs = new QTabWidget;
    tabs->addTab(comparePage, QStringLiteral("Compare"));
    tabs->addTab(frequencyPage, QStringLiteral("Softpot by frequency"));
    tabs->addTab(timePage, QStringLiteral("Softpot over time"));

    auto* panes = new QSplitter(Qt::Horizontal);
    panes->addWidget(lists);
    panes->addWidget(tabs);
    panes->setStretchFactor(1, 1);
    panes->setSizes({kListsWidth, kMinimumWidth - kListsWidth});

    auto* refresh = new QPushButton(QStringLiteral("Refresh"));
    refresh->setObjectName(QStringLiteral("refresh"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh);
    buttons->addStretch(1);
    buttons->addWidget(restore_);
    buttons->addWidget(export_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(state_);
    layout->addWidget(panes, 1);
    layout->addLayout(buttons);

    connect(radios_, &QTableWidget::itemSelectionChanged, this, &CHistoryWindow::radioChosen);
    connect(snapshotTable_, &QTableWidget::itemSelectionChanged, this,
            &CHistoryWindow::snapshotsChosen);
    connect(typeChoice_, &QComboBox::currentIndexChanged, this,
            &CHistoryWindow::fillFrequencyChart);
    connect(pointChoice_, &QComboBox::currentIndexChanged, this, &CHistoryWindow::fillTimeChart);
    connect(refresh, &QPushButton::clicked, this, &CHistoryWindow::refresh);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(restore_, &QPushButton::clicked, this, &CHistoryWindow::restoreChosen);
    connect(export_, &QPushButton::clicked, this, &CHistoryWindow::exportChosen);

    fillComparison();
    fillFrequencyChart();
    fillTimeChart();
    updateButtons();
}

CHistoryWindow::~CHistoryWindow() = default;

void CHistoryWindow::showState(const QString& text, bool failure) {
    state_->setText(text);
    state_->setProperty("failure", failure);
    state_->setStyleSheet(failure ? QStringLiteral("color: #a01010; font-weight: bold;")
                                  : QString());
}

void CHistoryWindow::refresh() {
    QString serial;
    if (const auto rows = radios_->selectionModel()->selectedRows(); !rows.isEmpty()) {
        serial = radios_->item(rows.front().row(), RadioSerial)->data(kIdRole).toString();
    }
    // The old connection goes before the new one opens, so the file is never held twice.
    store_.reset();
    const auto url = parseHistoryUrl(urlText_);
    if (!url.url) {
        fillRadios();
        showState(QStringLiteral("The history cannot be shown: the history location \"%1\" is "
                                 "not valid: %2")
                      .arg(urlText_, url.error),
                  true);
        return;
    }
    store_ = std::make_unique<historyStore>(*url.url);
    fillRadios();
    // The radio chosen before, else the one serviced last.
    int chosen = radios_->rowCount() > 0 ? 0 : -1;
    for (int row = 0; row < radios_->rowCount(); ++row) {
        if (radios_->item(row, RadioSerial)->data(kIdRole).toString() == serial) {
            chosen = row;
        }
    }
    if (chosen >= 0) {
        radios_->selectRow(chosen);
    }
}

void CHistoryWindow::setRestoreAllowed(bool allowed) {
    restoreAllowed_ = allowed;
    updateButtons();
}

void CHistoryWindow::fillRadios() {
    const QSignalBlocker blocker(radios_);
    radios_->setRowCount(0);
    if (!store_) {
        radioChosen();
        return;
    }
    if (!store_->keepsHistory()) {
        showState(QStringLiteral("No history is kept: the history location is \"%1\".")
                      .arg(QString::fromUtf8(kNoHistoryUrl)),
                  false);
        radioChosen();
        return;
    }
    auto radios = store_->radios();
    if (!radios) {
        showState(QStringLiteral("The history cannot be shown.\n%1").arg(radios.error), true);
        radioChosen();
        return;
    }
    if (radios.value->empty()) {
        showState(QString::fromUtf8(kNoHistoryYetText), false);
        radioChosen();
        return;
    }
    showState(QStringLiteral("%1 radio(s) in %2").arg(radios.value->size()).arg(urlText_), false);
    radios_->setRowCount(static_cast<int>(radios.value->size()));
    int row = 0;
    for (const auto& radio : *radios.value) {
        auto* serial = cell(radio.serialNo.trimmed());
        // The store finds a radio's snapshots by its serial number as stored, padding and all.
        serial->setData(kIdRole, radio.serialNo);
        radios_->setItem(row, RadioSerial, serial);
        radios_->setItem(row, RadioModel, cell(radio.modelNo.trimmed()));
        radios_->setItem(row, RadioLastTime, cell(timeText(radio.lastTime)));
        radios_->setItem(row, RadioLastOperation, cell(operationText(radio.lastOperation)));
        radios_->setItem(row, RadioCount, cell(QString::number(radio.snapshotCount)));
        ++row;
    }
    radios_->resizeColumnsToContents();
    radioChosen();
}

void CHistoryWindow::radioChosen() {
    const QSignalBlocker blocker(snapshotTable_);
    snapshotTable_->setRowCount(0);
    snapshots_.clear();
    records_.clear();
    const auto rows = radios_->selectionModel()->selectedRows();
    if (store_ && !rows.isEmpty()) {
        const QString serial =
            radios_->item(rows.front().row(), RadioSerial)->data(kIdRole).toString();
        auto listed = store_->list(serial);
        if (!listed) {
            showState(QStringLiteral("The snapshots of %1 cannot be shown.\n%2")
                          .arg(serial.trimmed(), listed.error),
                      true);
        } else {
            snapshots_ = std::move(*listed.value);
        }
        QStringList unreadable;
        for (const auto& summary : snapshots_) {
            auto full = store_->get(summary.id);
            auto record = full ? restoreRecord(*full.value) : std::nullopt;
            if (record) {
                records_.emplace(summary.id, std::move(*record));
            } else {
                unreadable << (full ? QStringLiteral("snapshot %1 has no record").arg(summary.id)
                                    : full.error);
            }
        }
        if (!unreadable.isEmpty()) {
            showState(QStringLiteral("Some snapshots cannot be read and are left out of the "
                                     "comparison and the charts.\n%1")
                          .arg(unreadable.join(QLatin1Char('\n'))),
                      true);
        }
    }
    snapshotTable_->setRowCount(static_cast<int>(snapshots_.size()));
    int row = 0;
    for (const auto& snapshot : snapshots_) {
        auto* time = cell(timeText(snapshot.time));
        time->setData(kIdRole, static_cast<qlonglong>(snapshot.id));
        time->setToolTip(snapshot.detail);
        snapshotTable_->setItem(row, SnapshotTime, time);
        snapshotTable_->setItem(row, SnapshotOperation, cell(operationText(snapshot.operation)));
        snapshotTable_->setItem(row, SnapshotOutcome, cell(outcomeText(snapshot.outcome)));
        snapshotTable_->setItem(row, SnapshotHost, cell(snapshot.host));
        snapshotTable_->setItem(row, SnapshotUser, cell(snapshot.user));
        ++row;
    }
    snapshotTable_->resizeColumnsToContents();
    // What the last service changed is what a technician asks first: the newest snapshot and
    // the one before it that holds other values (a read right after Program All holds the same).
    if (!snapshots_.empty()) {
        const auto rowSelected = [this](std::size_t index) {
            snapshotTable_->setRangeSelected(
                QTableWidgetSelectionRange(static_cast<int>(index), 0, static_cast<int>(index),
                                           snapshotTable_->columnCount() - 1),
                true);
        };
        rowSelected(0);
        if (snapshots_.size() >= 2) {
            std::size_t earlier = 1;
            while (earlier + 1 < snapshots_.size() &&
                   sameSoftpots(recordOf(snapshots_[0].id), recordOf(snapshots_[earlier].id))) {
                ++earlier;
            }
            rowSelected(earlier);
        }
    }
    snapshotsChosen();
    fillTimeChart();
}

void CHistoryWindow::snapshotsChosen() {
    fillComparison();
    fillFrequencyChart();
    updateButtons();
}

std::vector<std::int64_t> CHistoryWindow::chosenIds() const {
    std::vector<int> rows;
    for (const auto& index : snapshotTable_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    // The list runs newest first; a higher row is older.
    std::sort(rows.rbegin(), rows.rend());
    std::vector<std::int64_t> ids;
    for (const int row : rows) {
        ids.push_back(snapshotTable_->item(row, SnapshotTime)->data(kIdRole).toLongLong());
    }
    return ids;
}

const radioRecord* CHistoryWindow::recordOf(std::int64_t id) const {
    const auto it = records_.find(id);
    return it == records_.end() ? nullptr : &it->second;
}

void CHistoryWindow::fillComparison() {
    comparison_->clear();
    comparison_->setRowCount(0);
    comparison_->setColumnCount(0);
    const auto ids = chosenIds();
    const radioRecord* older = ids.size() == 2 ? recordOf(ids[0]) : nullptr;
    const radioRecord* newer = ids.size() == 2 ? recordOf(ids[1]) : nullptr;
    if (older == nullptr || newer == nullptr) {
        compareHint_->setText(
            ids.size() == 2 ? QStringLiteral("One of these snapshots cannot be read.")
                            : QStringLiteral("Choose two snapshots to see their softpots side "
                                             "by side."));
        return;
    }
    const auto label = [this](std::int64_t id) {
        const auto it = std::find_if(snapshots_.begin(), snapshots_.end(),
                                     [id](const historySnapshot& s) { return s.id == id; });
        return it == snapshots_.end()
                   ? QString()
                   : QStringLiteral("%1\n%2").arg(timeText(it->time), operationText(it->operation));
    };
    comparison_->setColumnCount(CompareMark + 1);
    comparison_->setHorizontalHeaderLabels({QStringLiteral("Alignment"), QStringLiteral("Point"),
                                            QStringLiteral("MHz"), label(ids[0]), label(ids[1]),
                                            QString()});
    int changes = 0;
    for (const auto& type : kAlignmentTypes) {
        for (std::size_t point = 0; point < kPointCount; ++point) {
            const auto before = softpotAt(*older, type, point);
            const auto after = softpotAt(*newer, type, point);
            if (!before && !after) {
                continue;
            }
            const bool changed = before != after;
            const radioRecord& shown = after ? *newer : *older;
            const int row = comparison_->rowCount();
            comparison_->insertRow(row);
            const QStringList texts{
                fromView(type.title),
                pointText(point),
                QString::number(shown.pointFrequency(type.points, point), 'f', 3),
                before ? QString::number(*before) : QStringLiteral("-"),
                after ? QString::number(*after) : QStringLiteral("-"),
                changed ? QString::fromUtf8(kChangedMarker) : QString()};
            for (int column = 0; column < texts.size(); ++column) {
                auto* item = cell(texts[column]);
                if (changed) {
                    QFont font = item->font();
                    font.setBold(true);
                    item->setFont(font);
                }
                comparison_->setItem(row, column, item);
            }
            changes += changed ? 1 : 0;
        }
    }
    comparison_->resizeColumnsToContents();
    compareHint_->setText(changes == 0
                              ? QStringLiteral("No softpot changed.")
                              : QStringLiteral("%1 softpot(s) changed (bold).").arg(changes));
}

void CHistoryWindow::fillFrequencyChart() {
    const auto& type =
        kAlignmentTypes.at(static_cast<std::size_t>(std::max(0, typeChoice_->currentIndex())));
    auto* chart = freshChart(frequencyChart_,
                             QStringLiteral("%1: softpot by frequency").arg(fromView(type.title)));
    double low = 0;
    double high = 0;
    bool any = false;
    for (const std::int64_t id : chosenIds()) {
        const radioRecord* record = recordOf(id);
        if (record == nullptr) {
            continue;
        }
        const auto it = std::find_if(snapshots_.begin(), snapshots_.end(),
                                     [id](const historySnapshot& s) { return s.id == id; });
        auto* series = addSeries(chart, timeText(it->time));
        std::vector<QPointF> points;
        for (std::size_t point = 0; point < kPointCount; ++point) {
            if (const auto value = softpotAt(*record, type, point)) {
                const double frequency = record->pointFrequency(type.points, point);
                points.emplace_back(frequency, *value);
                low = any ? std::min(low, frequency) : frequency;
                high = any ? std::max(high, frequency) : frequency;
                any = true;
            }
        }
        std::sort(points.begin(), points.end(),
                  [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        series->append(QList<QPointF>(points.begin(), points.end()));
    }
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Frequency (MHz)"));
    x->setLabelFormat(QStringLiteral("%.1f"));
    if (any) {
        x->setRange(low == high ? low - kLoneFrequencyMargin : low,
                    low == high ? high + kLoneFrequencyMargin : high);
    }
    attach(chart, x, softpotAxis());
}

void CHistoryWindow::fillTimeChart() {
    const auto point = static_cast<std::size_t>(std::max(0, pointChoice_->currentIndex()));
    auto* chart =
        freshChart(timeChart_, QStringLiteral("Softpots at %1 over time").arg(pointText(point)));
    // A line per alignment type: their names need the room of a column.
    chart->legend()->setAlignment(Qt::AlignRight);
    qint64 first = 0;
    qint64 last = 0;
    bool any = false;
    for (const auto& type : kAlignmentTypes) {
        QList<QPointF> points;
        // Oldest first, so that the line runs forward in time.
        for (auto it = snapshots_.rbegin(); it != snapshots_.rend(); ++it) {
            const radioRecord* record = recordOf(it->id);
            const QDateTime time = snapshotTime(it->time);
            const auto value = record != nullptr && time.isValid() ? softpotAt(*record, type, point)
                                                                   : std::nullopt;
            if (!value) {
                continue;
            }
            const qint64 ms = time.toMSecsSinceEpoch();
            points.append(QPointF(static_cast<double>(ms), *value));
            first = any ? std::min(first, ms) : ms;
            last = any ? std::max(last, ms) : ms;
            any = true;
        }
        if (!points.isEmpty()) {
            addSeries(chart, fromView(type.title))->append(points);
        }
    }
    auto* x = new QDateTimeAxis;
    x->setTitleText(QStringLiteral("Time"));
    x->setFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (any) {
        x->setRange(
            QDateTime::fromMSecsSinceEpoch(first == last ? first - kLoneTimeMarginMs : first),
            QDateTime::fromMSecsSinceEpoch(first == last ? last + kLoneTimeMarginMs : last));
    }
    attach(chart, x, softpotAxis());
}

void CHistoryWindow::updateButtons() {
    const auto ids = chosenIds();
    const bool one = ids.size() == 1 && recordOf(ids.front()) != nullptr;
    restore_->setEnabled(one && restoreAllowed_);
    export_->setEnabled(one);
}

void CHistoryWindow::restoreChosen() {
    const auto ids = chosenIds();
    if (ids.size() != 1 || !restoreAllowed_) {
        return;
    }
    if (const radioRecord* record = recordOf(ids.front())) {
        // A copy: the host's load may refresh this window, which rebuilds the records.
        const radioRecord chosen = *record;
        host_.restoreFromHistory(chosen);
    }
}

void CHistoryWindow::exportChosen() {
    const auto ids = chosenIds();
    if (ids.size() != 1) {
        return;
    }
    if (const radioRecord* record = recordOf(ids.front())) {
        const radioRecord chosen = *record;
        host_.exportFromHistory(chosen, this);
    }
}

} // namespace kavrin::shell
