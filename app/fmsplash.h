#pragma once

#include "progress.h"
#include "results/columnsort.h"

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
    // Shows the window centred on the screen and paints it at once, as the thread is about to be busy.
    void ShowNow() override;
    void HideNow() override { hide(); }

    QString InfoText() const;
    TglProgress* Bar() const;
    QLabel* InfoLabel() const;

    // The sort's view of the window.
    bool Visible() const override { return isVisible(); }
    int Percent() const override;
    void SetPercent(int percent) override;

private:
    void NameByInfo();

    std::unique_ptr<Ui::FmSplash> ui;
};
