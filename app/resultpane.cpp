#include "resultpane.h"

#include "directory/limits.h"
#include "results/columnsort.h"
#include "results/rowlogic.h"
#include "results/view/qtext.h"
#include "results/view/resultmodel.h"
#include "ui_fmmain.h"

#include <QAccessible>
#include <QEvent>
#include <QHeaderView>
#include <QResizeEvent>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// A run of the status line: a caption ("Улица начинается с ") or a quoted value ("«ЛЕН»"), which may hold quotes
// of its own and lacks its closing one when the text ends first.
struct TRun {
    QString text;
    bool value = false;
};

std::vector<TRun> SplitAtQuotes(const QString& text) {
    std::vector<TRun> runs;
    qsizetype start = 0;
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\u00AB' && depth++ == 0) {
            if (i > start) runs.push_back({text.mid(start, i - start), false});
            start = i;
        } else if (text[i] == u'\u00BB' && depth > 0 && --depth == 0) {
            runs.push_back({text.mid(start, i + 1 - start), true});
            start = i + 1;
        }
    }
    if (start < text.size()) runs.push_back({text.mid(start), depth > 0});
    return runs;
}

// Shares `budget` among runs that need `needs` and keep at least `least` each: the least first, then what is left
// evenly, a run never getting more than it needs.
std::vector<int> Share(const std::vector<int>& needs, const std::vector<int>& least, int budget) {
    std::vector<std::size_t> order(needs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return needs[a] - least[a] < needs[b] - least[b]; });
    std::vector<int> shares = least;
    budget -= std::accumulate(least.begin(), least.end(), 0);
    int left = static_cast<int>(order.size());
    for (std::size_t k : order) {
        const int extra = std::clamp(budget / left--, 0, needs[k] - least[k]);
        shares[k] += extra;
        budget -= extra;
    }
    return shares;
}

// `run` cut at its end to `share` pixels, keeping the blank after a caption and the closing quote of a value.
QString ElideRun(const TRun& run, const QFontMetrics& metrics, int share) {
    if (metrics.horizontalAdvance(run.text) <= share) return run.text;
    QString kept = run.text;
    while (!run.value && !kept.isEmpty() && kept.back().isSpace())
        kept.chop(1);
    if (run.value && kept.endsWith(u'\u00BB')) kept.chop(1);
    const QString tail = run.text.mid(kept.size());
    return metrics.elidedText(kept, Qt::ElideRight, std::max(0, share - metrics.horizontalAdvance(tail))) + tail;
}

// The least a run is cut to: a caption's first word, a value's first letter, each with the ellipsis.
int LeastWidth(const TRun& run, const QFontMetrics& metrics) {
    qsizetype end = 0;
    while (end < run.text.size() && (run.text[end].isSpace() || run.text[end].isPunct()))
        ++end;
    if (run.value) {
        ++end;
    } else {
        while (end < run.text.size() && !run.text[end].isSpace())
            ++end;
    }
    const QString least =
        run.text.left(end) + QChar(0x2026) + (run.value ? QStringLiteral("\u00BB") : QStringLiteral(" "));
    // A pixel more: the ellipsis that eliding draws may measure wider than the one measured here.
    return std::min(metrics.horizontalAdvance(run.text), metrics.horizontalAdvance(least) + 1);
}

} // namespace

TResultPane::TResultPane(Ui::FmMain& form, vg::TStrContainer& container, const QFont& font, QObject* parent)
    : QObject(parent), container_(container), view_(form.ListView), model_(new vg::TResultModel(this)),
      counter_(form.lbCnt), counterFrame_(form.Bevel1), foundWith_(new QLabel(form.Bevel1->parentWidget())),
      edition_(form.lbEdition) {
    // The status line fills the panel to the right of the counter's frame, whatever the window's width.
    foundWith_->setObjectName(QStringLiteral("lbFoundWith"));
    foundWith_->setAccessibleName(QStringLiteral("Список найден по"));
    foundWith_->setAttribute(Qt::WA_TranslucentBackground);
    foundWith_->parentWidget()->installEventFilter(this);
    QFont bold = font;
    bold.setBold(true);
    counter_->setFont(bold);
    model_->SetContainer(&container_);
    model_->SetBaseFont(font);
    view_->SetResultModel(model_);
    std::array<int, vg::kColumnCount> widths{};
    for (int c = 0; c < vg::kColumnCount; ++c) {
        const vg::TColumnInfo& column = vg::kColumns[static_cast<std::size_t>(c)];
        model_->SetCaption(c, QString::fromUtf8(column.caption));
        widths[static_cast<std::size_t>(c)] = column.width;
    }
    // The subscriber column takes whatever width the others leave, and the others give way to keep it readable.
    view_->SetDesignWidths(widths);
    view_->horizontalHeader()->setSortIndicatorShown(true);
    view_->setAccessibleName(QStringLiteral("Список абонентов"));
    SetColumnCaption(0, true);
}

void TResultPane::Publish(int count) {
    count_ = count;
    incomplete_ = false;
    ShowCount();
    model_->SetRowCount(count_);
    view_->selectionModel()->clear(); // the rows are other records now
    sortAscending_ = true;
    // The captions change only when the marker moves: a header repainted at every keystroke costs more than the rows.
    if (sortColumn_ != 0) {
        SetColumnCaption(sortColumn_, false);
        sortColumn_ = 0;
        SetColumnCaption(0, true);
    }
    model_->SetSortColumn(0);
    ShowSortIndicator();
    view_->SetEmptyText(QString());
    view_->viewport()->repaint();
}

void TResultPane::SortBy(int column, vg::ISortProgress* progress) {
    if (column == sortColumn_) {
        sortAscending_ = !sortAscending_;
    } else {
        sortAscending_ = true;
        SetColumnCaption(sortColumn_, false);
        sortColumn_ = column;
        SetColumnCaption(column, true);
    }
    // However the sort ends, the list shows the order the records are in.
    struct ShowOrder {
        TResultPane& pane;
        ~ShowOrder() {
            pane.model_->SetSortColumn(pane.sortColumn_);
            pane.ShowSortIndicator();
            pane.view_->viewport()->repaint();
            const QModelIndexList selected = pane.view_->selectionModel()->selectedRows();
            if (!selected.isEmpty()) pane.view_->scrollTo(selected.first(), QAbstractItemView::EnsureVisible);
        }
    } show{*this};
    vg::SortByColumn(container_, sortColumn_, sortAscending_, progress);
}

void TResultPane::SelectFirstRow() {
    if (model_->rowCount() <= 0) return;
    const QModelIndex first = model_->index(0, 0);
    view_->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollToTop();
}

void TResultPane::FocusList() {
    view_->activateWindow(); // the key may come from a criterion toolbar floating in a window of its own
    view_->setFocus(Qt::ShortcutFocusReason);
    if (!view_->currentIndex().isValid() && model_->rowCount() > 0) SelectFirstRow();
}

bool TResultPane::HasFocus() const {
    return view_->hasFocus();
}

void TResultPane::SetFoundWith(const QString& text) {
    foundWith_->setToolTip(text);
    foundWith_->setAccessibleDescription(text);
    PlaceEdition();
}

QString TResultPane::FoundWith() const {
    return foundWith_->toolTip();
}

bool TResultPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == foundWith_->parentWidget() && event->type() == QEvent::Resize) PlaceEdition();
    return QObject::eventFilter(watched, event);
}

void TResultPane::SetEmptyText(const QString& text) {
    view_->SetEmptyText(text);
}

void TResultPane::SetColumnCaption(int column, bool marked) {
    QString caption = model_->Caption(column);
    if (marked) {
        caption.prepend(QStringLiteral("* "));
    } else {
        const qsizetype at = caption.indexOf(QStringLiteral("* "));
        if (at >= 0) caption.remove(at, 2);
    }
    model_->SetCaption(column, caption);
}

void TResultPane::ShowSortIndicator() {
    view_->horizontalHeader()->setSortIndicator(sortColumn_, sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TResultPane::ShowCount() {
    const QString count = vg::ToQString(vg::GroupedNumber(count_));
    ShowCounter(counter_, counterFrame_, incomplete_ ? count + QStringLiteral(" — список неполный") : count);
    counter_->setAccessibleDescription(incomplete_ ? QStringLiteral("Поиск прерван: список неполный") : QString());
    PlaceEdition();
}

void TResultPane::MarkIncomplete() {
    incomplete_ = true;
    ShowCount();
}

void TResultPane::ShowEdition(const QString& text) {
    edition_->setToolTip(text);
    edition_->setAccessibleDescription(text);
    PlaceEdition();
}

QString TResultPane::Edition() const {
    return edition_->toolTip();
}

void TResultPane::PlaceEdition() {
    // The edition and what the list was found with share the line right of the counter's frame: what the list was
    // found with keeps its width up to two thirds of the line (it changes with every call, the edition seldom, and
    // the title names it too), the edition takes the rest; each is cut with an ellipsis
    // where it does not fit, the whole text in its tip.
    const QWidget* panel = foundWith_->parentWidget();
    const int left = counterFrame_->geometry().right() + 8;
    const int room = std::max(0, panel->width() - left - 6);
    constexpr int kGap = 12;
    const QString edition = Edition(), found = FoundWith();
    // Measuring and eliding the texts is most of the work: a search that changes none of it leaves the line as is.
    TPlaced placed{panel->width(), left,  counter_->y(),    counter_->height(), edition_->y(),
                   edition,        found, edition_->font(), foundWith_->font()};
    if (placed == placed_) return;
    placed_ = std::move(placed);
    int width = 0;
    if (!edition.isEmpty()) {
        const int foundNeeds =
            found.isEmpty() ? 0 : std::min(foundWith_->fontMetrics().horizontalAdvance(found) + kGap + 2, room * 2 / 3);
        width = std::min(edition_->fontMetrics().horizontalAdvance(edition) + 2, std::max(0, room - foundNeeds));
    }
    edition_->setGeometry(left, edition_->y(), width, edition_->sizeHint().height());
    edition_->setText(edition_->fontMetrics().elidedText(edition, Qt::ElideRight, width));
    const int foundLeft = edition.isEmpty() ? left + 4 : left + width + kGap;
    foundWith_->setGeometry(foundLeft, counter_->y(), std::max(0, panel->width() - foundLeft - 6), counter_->height());
    foundWith_->setText(ElideFoundWith(found, foundWith_->fontMetrics(), foundWith_->width()));
}

QString ElideFoundWith(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    const std::vector<TRun> runs = SplitAtQuotes(text);
    std::vector<int> needs, least;
    for (const TRun& run : runs) {
        needs.push_back(metrics.horizontalAdvance(run.text));
        least.push_back(LeastWidth(run, metrics));
    }
    // The values whole while the captions' first words leave them room; else every caption at its least and the
    // values cut.
    int withValuesWhole = 0;
    for (std::size_t k = 0; k < runs.size(); ++k)
        withValuesWhole += runs[k].value ? needs[k] : least[k];
    for (std::size_t k = 0; k < runs.size(); ++k) {
        if (withValuesWhole <= width && runs[k].value) least[k] = needs[k];
        if (withValuesWhole > width && !runs[k].value) needs[k] = least[k];
    }
    const std::vector<int> shares = Share(needs, least, width);
    QString cut;
    for (std::size_t k = 0; k < runs.size(); ++k)
        cut += ElideRun(runs[k], metrics, shares[k]);
    // Runs measured apart may come to a pixel or two more together.
    return metrics.horizontalAdvance(cut) <= width ? cut : metrics.elidedText(cut, Qt::ElideRight, width);
}

void ShowCounter(QLabel* counter, QWidget* frame, const QString& text) {
    counter->setText(text);
    // A screen reader reads the number with what it counts, and hears of a new one by the name changing.
    const QString name = QStringLiteral("Абонентов в списке: ") + text;
    if (counter->accessibleName() != name) {
        counter->setAccessibleName(name);
        QAccessibleEvent changed(counter, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    // A count wider than the design's counter widens it, and its frame with it, rather than losing digits.
    const int needed = counter->fontMetrics().horizontalAdvance(text) + 2;
    if (needed > counter->width()) {
        counter->resize(needed, counter->height());
        frame->resize(counter->geometry().right() + 5 - frame->x(), frame->height());
    }
}
