#pragma once

#include "search/suggest.h"

#include <QObject>
#include <QString>

#include <optional>

namespace Ui {
class FmMain;
}
class QFrame;
class QLabel;
class QVBoxLayout;

// The strip under the criteria: why the last search found nothing and what would find something, or what is
// unfinished in a mask typed while the list follows the typing. The one owner of the explanation it shows.
class TNotFoundStrip : public QObject {
    Q_OBJECT

public:
    explicit TNotFoundStrip(Ui::FmMain& form, QObject* parent = nullptr);

    // Shows the counts of `explanation` and a button for each of its suggestions, the first one with its key.
    void ShowExplanation(vg::TExplanation explanation);
    // Shows `text` alone, with no explanation behind it.
    void ShowText(const QString& text);
    // Hidden and emptied.
    void HideExplanation();
    // The explanation shown; none when the strip is hidden or shows a text alone.
    const std::optional<vg::TExplanation>& Explanation() const { return explanation_; }

signals:
    // The operator chose suggestion `index` of the explanation.
    void SuggestionChosen(int index);

private:
    // Shows the strip, styled.
    void ShowStrip();

    QFrame* strip_;
    QLabel* why_;
    QVBoxLayout* suggestions_;
    std::optional<vg::TExplanation> explanation_;
};
