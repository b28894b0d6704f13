// The history as the flows see it: every read and every change becomes a snapshot in the store
// the URL names. A store that cannot be written costs the radio work at most the store's bounded
// wait; the reason is logged every time and told once until a write succeeds again, and every
// write opens the store afresh when the last one could not.
#pragma once

#include "data/radio_history.h"
#include "history/history_store.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kavrin {

inline constexpr const char* kHistoryNotSavedPrefix = "History not saved: ";

class historyRecorder final : public IRadioHistory {
public:
    // urlText as chooseHistoryUrl gave it; tell receives "History not saved: REASON".
    historyRecorder(QString urlText, std::function<void(const QString&)> tell);
    ~historyRecorder() override;
    historyRecorder(const historyRecorder&) = delete;
    historyRecorder& operator=(const historyRecorder&) = delete;

    void radioRead(const radioRecord& record) override;
    void radioChanged(const radioRecord& record, const radioChange& change) override;

    const QString& urlText() const { return urlText_; }
    // The id of the last snapshot stored by this recorder.
    std::optional<std::int64_t> lastSnapshotId() const { return lastId_; }

private:
    void store(const historySnapshot& snapshot);

    QString urlText_;
    std::function<void(const QString&)> tell_;
    std::unique_ptr<historyStore> store_;
    std::optional<std::int64_t> lastId_;
    bool told_ = false;
};

} // namespace kavrin
