#include "comboboxlabel.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <QEvent>

#include <algorithm>

QFont TComboBoxLabel::DisplayFont(const QString& text) const {
    // What the text covers: its advance, or further where the last glyph reaches past it (the closing bracket).
    const auto covered = [&text](const QFont& font) {
        const QFontMetrics metrics(font);
        return std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1);
    };
    QFont shown = font();
    const int needed = covered(shown);
    const int room = TextWidth();
    if (needed <= room || needed <= 0) return shown;
    // The stretch rounds; step down until the text fits.
    for (int stretch = std::max(80, room * 100 / needed); stretch >= 80; --stretch) {
        shown.setStretch(stretch);
        if (covered(shown) <= room) break;
    }
    return shown;
}

int TComboBoxLabel::TextWidth() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    // The style draws the text a pixel in from either side of the edit field and cuts it at the field's edge.
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).width() - 2;
}

void TComboBoxLabel::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.setFont(DisplayFont(option.currentText));
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

TComboBoxLabel::TComboBoxLabel(QWidget* parent) : QComboBox(parent) {
    // The label is a sibling, so that it can sit outside the combo; the combo still owns it.
    label_ = new QLabel(parentWidget());
    label_->setObjectName(QStringLiteral("SubLabel"));
    label_->setAttribute(Qt::WA_TranslucentBackground);
    label_->setAutoFillBackground(false);
    label_->setBuddy(this); // a screen reader names the combo by its label
    SetCaption(QString());
    PlaceLabel(position_);
}

TComboBoxLabel::~TComboBoxLabel() {
    delete label_.data();
}

QString TComboBoxLabel::Caption() const {
    return label_ ? label_->text() : QString();
}

void TComboBoxLabel::SetCaption(const QString& caption) {
    if (!label_) return;
    label_->setText(caption);
    label_->adjustSize(); // the label sizes itself to its text but keeps its place
}

void TComboBoxLabel::SetLabelPosition(TLabelPosition position) {
    if (!label_) return;
    PlaceLabel(position);
    position_ = position;
}

void TComboBoxLabel::SetLabelSpacing(int spacing) {
    spacing_ = spacing;
    PlaceLabel(position_);
}

QPoint TComboBoxLabel::LabelPlace(TLabelPosition position, const QRect& c, const QSize& l, int s) {
    switch (position) {
    case lpBelow:
        return {c.left(), c.top() + c.height() + s};
    case lpLeft:
        return {c.left() - l.width() - s, c.top() + (c.height() - l.height()) / 2};
    case lpRight:
        return {c.left() + c.width() + s, c.top() + (c.height() - l.height()) / 2};
    case lpAbove:
    default:
        return {c.left(), c.top() - l.height() - s};
    }
}

void TComboBoxLabel::PlaceLabel(TLabelPosition position) {
    if (!label_) return;
    label_->move(LabelPlace(position, geometry(), label_->size(), spacing_));
}

void TComboBoxLabel::setVisible(bool visible) {
    QComboBox::setVisible(visible);
    if (label_ && label_->parentWidget()) label_->setVisible(visible);
}

void TComboBoxLabel::moveEvent(QMoveEvent* event) {
    QComboBox::moveEvent(event);
    PlaceLabel(position_);
}

void TComboBoxLabel::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    PlaceLabel(position_);
}

void TComboBoxLabel::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (!label_) return;
    switch (event->type()) {
    case QEvent::ParentChange:
        label_->setParent(parentWidget());
        PlaceLabel(position_);
        if (parentWidget()) label_->show();
        break;
    case QEvent::EnabledChange:
        label_->setEnabled(isEnabled());
        break;
    case QEvent::LayoutDirectionChange:
        label_->setLayoutDirection(layoutDirection());
        break;
    default:
        break;
    }
}
