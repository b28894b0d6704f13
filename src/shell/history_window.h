// The History window: every radio of the history store with its last service, the chosen radio's
// snapshots, two snapshots side by side with their changed softpots marked, charts of the
// softpots against frequency and over time, and a snapshot restored or exported as an archive.
// The window only reads the store; what a restore or an export does is the application's.
#pragma once

#include "data/radio_record.h"
#include "history/history_store.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kavrin::shell {

inline constexpr const char* kHistoryWindowTitle = "History";
inline constexpr const char* kNoHistoryYetText =
    "No history yet. A snapshot is kept each time a radio is read or programmed.";
inline constexpr const char* kChangedMarker = "changed";

// What the window asks the application to do with a snapshot's record.
class IHistoryHost {
public:
    virtual ~IHistoryHost() = default;
    // Loads the record as an archive is loaded, question and messages included; true when loaded.
    virtual bool restoreFromHistory(const radioRecord& record) = 0;
    // Asks for a file and saves the record there as an archive, with a save's messages.
    virtual void exportFromHistory(const radioRecord& record, QWidget* owner) = 0;
};

class CHistoryWindow : public QWidget {
    Q_OBJECT
public:
    // urlText as historyUrlText() gives it; the store is opened by refresh().
    CHistoryWindow(QString urlText, IHistoryHost& host, QWidget* parent = nullptr);
    ~CHistoryWindow() override;

    // Opens the store afresh and reads it again, keeping the chosen radio: a new snapshot shows,
    // a server that is back is used.
    void refresh();
    // Whether a restore may load now; it follows the rule of File > Load Archive File.
    void setRestoreAllowed(bool allowed);

private:
    void showState(const QString& text, bool failure);
    void fillRadios();
    void radioChosen();
    void snapshotsChosen();
    void fillComparison();
    void fillFrequencyChart();
    void fillTimeChart();
    void updateButtons();
    void restoreChosen();
    void exportChosen();
    // The chosen snapshots' ids, oldest first.
    std::vector<std::int64_t> chosenIds() const;
    const radioRecord* recordOf(std::int64_t id) const;

    QString urlText_;
    IHistoryHost& host_;
    std::unique_ptr<historyStore> store_;
    std::vector<historySnapshot> snapshots_; // the chosen radio's, newest first, as listed
    std::map<std::int64_t, radioRecord> records_;
    bool restoreAllowed_ = true;

    QLabel* state_;
    QTableWidget* radios_;
    QTableWidget* snapshotTable_;
    QLabel* compareHint_;
    QTableWidget* comparison_;
    QComboBox* typeChoice_;
    QChartView* frequencyChart_;
    QComboBox* pointChoice_;
    QChartView* timeChart_;
    QPushButton* restore_;
    QPushButton* export_;
};

} // namespace kavrin::shell
