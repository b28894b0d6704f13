// Snapshots of the flows' reads and changes, written to the store with the failures told once.
#include "history/history_recorder.h"

#include <QLoggingCategory>

namespace kavrin {
namespace {

Q_LOGGING_CATEGORY(lcRecorder, "kavrin.history", QtWarningMsg)

} // namespace

historyRecorder::historyRecorder(QString urlText, std::function<void(const QString&)> tell)
    : urlText_(std::move(urlText)), tell_(std::move(tell)) {}

historyRecorder::~historyRecorder() = default;

void historyRecorder::radioRead(const radioRecord& record) {
    store(makeSnapshot(record, QString::fromUtf8(kOperationRead),
                       QString::fromUtf8(kOutcomeSucceeded)));
}

void historyRecorder::radioChanged(const radioRecord& record, const radioChange& change) {
    auto snapshot = makeSnapshot(record, QString::fromUtf8(change.operation),
                                 QString::fromUtf8(change.outcome));
    snapshot.before = cellsOf(change.before);
    snapshot.after = cellsOf(change.after);
    snapshot.detail = QString::fromStdString(change.detail);
    // The number the radio holds now, which for a serial-number write is the new one.
    snapshot.serialNo = QString::fromStdString(change.after.serialNo());
    store(snapshot);
}

void historyRecorder::store(const historySnapshot& snapshot) {
    QString reason;
    const auto url = parseHistoryUrl(urlText_);
    if (!url.url) {
        reason = QStringLiteral("%1: %2").arg(urlText_, url.error);
    } else {
        // A store that failed is opened afresh: the server may be back, the disk freed.
        if (!store_ || !store_->isOpen()) {
            store_.reset();
            store_ = std::make_unique<historyStore>(*url.url);
        }
        const auto added = store_->add(snapshot);
        if (added) {
            if (store_->keepsHistory()) {
                lastId_ = *added.value;
            }
            told_ = false;
            return;
        }
        reason = added.error;
        // A connection that broke while open is not trusted for the next write.
        store_.reset();
    }
    qCWarning(lcRecorder).noquote() << kHistoryNotSavedPrefix << reason;
    if (!told_ && tell_) {
        told_ = true;
        tell_(QString::fromUtf8(kHistoryNotSavedPrefix) + reason);
    }
}

} // namespace kavrin
