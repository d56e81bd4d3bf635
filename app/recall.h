#pragma once

#include "search/criteria.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// What the operator searched with: the box, or the five criteria with their conditions.
struct TSearchState {
    QString box;
    std::array<QString, vg::kCriterionCount> texts;
    std::array<int, vg::kCriterionCount> conditions{};

    bool Empty() const;
    friend bool operator==(const TSearchState&, const TSearchState&) = default;
};

// The last searches, newest first, kept across restarts: Alt+Up goes back through them, Alt+Down forward.
class TSearchRecall {
public:
    static constexpr std::size_t kKept = 20;

    // Reads the searches kept by the last run.
    TSearchRecall();

    // A search was made: it becomes the newest (once: an older copy goes), the oldest beyond kKept goes, and
    // the next step back starts from it.
    void Record(const TSearchState& state);
    // One search older (direction 1) or newer (-1) than the one last recalled; null past either end.
    const TSearchState* Step(int direction);
    const std::vector<TSearchState>& Searches() const { return searches_; }

    // A search as one line of the settings, and back.
    static QString Encode(const TSearchState& state);
    static bool Decode(const QString& line, TSearchState& state);

private:
    std::vector<TSearchState> searches_;
    int position_ = -1; // the search last recalled; -1: none since the last search
};
