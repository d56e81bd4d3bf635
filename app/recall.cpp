#include "recall.h"

#include "settings.h"

#include <algorithm>

namespace {
// Parts a kept search's fields; no typed text holds it (Record drops it).
constexpr QChar kSeparator(0x1F);
} // namespace

bool TSearchState::Empty() const {
    return box.trimmed().isEmpty() &&
           std::all_of(texts.begin(), texts.end(), [](const QString& t) { return t.trimmed().isEmpty(); });
}

TSearchRecall::TSearchRecall() {
    for (const QString& line : settings::RecentSearches.Read()) {
        TSearchState state;
        if (searches_.size() < kKept && Decode(line, state) && !state.Empty()) searches_.push_back(state);
    }
}

QString TSearchRecall::Encode(const TSearchState& state) {
    QStringList parts{state.box};
    for (int k = 0; k < vg::kCriterionCount; ++k)
        parts << state.texts[static_cast<std::size_t>(k)]
              << QString::number(state.conditions[static_cast<std::size_t>(k)]);
    return parts.join(kSeparator);
}

bool TSearchRecall::Decode(const QString& line, TSearchState& state) {
    const QStringList parts = line.split(kSeparator);
    if (parts.size() != 1 + 2 * vg::kCriterionCount) return false;
    state.box = parts[0];
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        bool ok = false;
        const int condition = parts[1 + 2 * k + 1].toInt(&ok);
        if (!ok || condition < 0 || condition >= static_cast<int>(vg::kConditions.size())) return false;
        state.texts[static_cast<std::size_t>(k)] = parts[1 + 2 * k];
        state.conditions[static_cast<std::size_t>(k)] = condition;
    }
    return true;
}

void TSearchRecall::Record(const TSearchState& typed) {
    position_ = -1;
    TSearchState state = typed;
    state.box.remove(kSeparator);
    for (QString& t : state.texts)
        t.remove(kSeparator);
    if (state.Empty()) return;
    searches_.erase(std::remove(searches_.begin(), searches_.end(), state), searches_.end());
    searches_.insert(searches_.begin(), state);
    if (searches_.size() > kKept) searches_.resize(kKept);
    QStringList lines;
    for (const TSearchState& s : searches_)
        lines << Encode(s);
    settings::RecentSearches.Write(lines);
}

const TSearchState* TSearchRecall::Step(int direction) {
    const int next = position_ + direction;
    if (next < 0 || next >= static_cast<int>(searches_.size())) return nullptr;
    position_ = next;
    return &searches_[static_cast<std::size_t>(next)];
}
