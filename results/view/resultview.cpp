#include "resultview.h"

#include "celldelegate.h"
#include "qtext.h"
#include "resultmodel.h"
#include "results/rowlogic.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>

namespace vg {

TResultView::TResultView(QWidget* parent) : QTableView(parent) {
    setShowGrid(true);
    setGridStyle(Qt::NoPen); // PaintGrid draws the lines, at a fraction of the cost
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setItemDelegate(new TCellDelegate(this));
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TResultView::ColumnClicked);
}

void TResultView::SetResultModel(TResultModel* model) {
    model_ = model;
    setModel(model);
}

void TResultView::keyboardSearch(const QString& text) {
    if (!model_ || !model_->Container() || text.isEmpty()) return;
    const bool fresh = !lastKey_.isValid() || lastKey_.elapsed() > QApplication::keyboardInputInterval();
    lastKey_.start();
    typed_ = fresh ? text : typed_ + text;
    std::string find;
    if (!FromQString(typed_, find)) return;
    const QModelIndex current = currentIndex();
    const int row =
        TypeAheadRow(*model_->Container(), find, current.isValid() ? current.row() : -1, fresh, model_->SortColumn());
    if (row < 0 || row >= model_->rowCount()) return;
    const QModelIndex target = model_->index(row, current.isValid() ? current.column() : 0);
    setCurrentIndex(target);
    scrollTo(target, QAbstractItemView::EnsureVisible);
}

QString TResultView::SelectedRowText() const {
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty() || !model_) return {};
    return model_->RowTexts(rows.first().row()).join(QLatin1Char('\t'));
}

void TResultView::SetEmptyText(const QString& text) {
    if (text == emptyText_) return;
    emptyText_ = text;
    setAccessibleDescription(text);
    viewport()->update();
}

void TResultView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    PaintGrid(*this, event->region());
    if (emptyText_.isEmpty() || (model() && model()->rowCount() > 0)) return;
    QPainter painter(viewport());
    QFont big = font();
    big.setPixelSize(font().pixelSize() > 0 ? font().pixelSize() * 3 / 2 : 18);
    painter.setFont(big);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect(), Qt::AlignCenter, emptyText_);
}

void TResultView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        const QString text = SelectedRowText();
        if (!text.isEmpty()) QApplication::clipboard()->setText(text);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace vg
