// The read/write progress screen: a picture, the operation's text, the percentage and a bar. It
// starts its flow once, half a second after it is first shown.
#pragma once

#include "data/user_interface.h"

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

namespace kavrin::shell {

inline constexpr const char* kReadingText = "Reading Softpots from radio...";
inline constexpr const char* kWritingText = "Writing Softpots to radio...";
inline constexpr int kProgressStartDelayMs = 500;

class CSplashRWView : public QWidget, public IProgress {
    Q_OBJECT
public:
    explicit CSplashRWView(QWidget* parent = nullptr);

    void setSources(const QString& picturePath, const QString& operationText);
    // Places the controls, loads the picture and starts the one-shot timer.
    void initialUpdate();

    void setPercentText(const std::string& text) override;
    void setProgress(int position) override;

    QString percentText() const { return percent_->text(); }
    QString operationText() const { return operationText_; }
    int progress() const { return bar_->value(); }

signals:
    // Emitted once, when the timer fires: the program flow for a text beginning with "W",
    // the read flow otherwise.
    void startFlow(bool writing);
    // Every text the flow shows, for whoever watches the progress (tests, accessibility).
    void percentTextChanged(const QString& text);

private:
    QLabel* picture_;
    QLabel* percent_;
    QLabel* operation_;
    QProgressBar* bar_;
    QString picturePath_;
    QString operationText_;
    bool started_ = false;
};

} // namespace kavrin::shell
