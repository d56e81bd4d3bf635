#include "comboboxlabel.h"

#include <QEvent>

TComboBoxLabel::TComboBoxLabel(QWidget* parent) : QComboBox(parent) {
    // The label is a sibling, so that it can sit outside the combo; the combo still owns it.
    label_ = new QLabel(parentWidget());
    label_->setObjectName(QStringLiteral("SubLabel"));
    label_->setAttribute(Qt::WA_TranslucentBackground);
    label_->setAutoFillBackground(false);
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
