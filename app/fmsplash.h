#pragma once

#include "progress.h"
#include "results/columnsort.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class FmSplash;
}
class TglProgress;
class QLabel;

// The splash and progress window: two title lines, an info line and a percentage bar. Borderless, always on
// top, with the hourglass over it. Callers show and hide it.
class TFmSplash : public QWidget, public IProgress, public vg::ISortProgress {
    Q_OBJECT

public:
    explicit TFmSplash(QWidget* parent = nullptr);
    ~TFmSplash() override;

    // Sets the info line; repaints only when the text changes.
    void SetInfoText(const QString& text) override;
    // Shows position of maximum on the bar; repaints only when the percentage changes.
    void ProgressCallback(int position, int maximum) override;
    // Shows the window centred on the screen and paints it at once, as the thread is about to be busy. With a
    // delay set, the window only starts its clock: the first report or text once the delay has passed shows it,
    // so that work shorter than the delay shows no window at all.
    void ShowNow() override;
    void HideNow() override { hide(); }
    // The progress window of the operations after start-up waits kShowDelayMs; the splash shows at once (0).
    static constexpr int kShowDelayMs = 200;
    void SetShowDelay(int milliseconds) { showDelay_ = milliseconds; }
    // Hiding also stops a clock that ShowNow started.
    void setVisible(bool visible) override;

    QString InfoText() const;
    TglProgress* Bar() const;
    QLabel* InfoLabel() const;

    // The sort's view of the window.
    bool Visible() const override { return isVisible() || pending_; } // or about to be
    int Percent() const override;
    void SetPercent(int percent) override;

private:
    void NameByInfo();
    // Shows the window if its delay has passed; while it is shown but not yet on the screen, takes the window
    // system's events once, so that it comes up as soon as the window manager maps it.
    void Advance();
    void Reveal();
    void TakeWindowEvents();

    std::unique_ptr<Ui::FmSplash> ui;
    int showDelay_ = 0;
    bool pending_ = false; // ShowNow was called and the delay runs
    QElapsedTimer clock_;
};
