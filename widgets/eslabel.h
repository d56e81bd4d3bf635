#pragma once

#include <QLabel>

// A label whose text looks embossed: a black copy one pixel right and down, a white copy one pixel left and
// up, then the text in its own colour on top.
class TEsLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
