#pragma once

#include <QFileDialog>

// The toolkit's file dialog as the program's other windows: Russian throughout. The toolkit translates its own
// words, but writes the files' sizes and times in the system's language, which need not be Russian; here they
// follow the program's.
class TFileDialog : public QFileDialog {
    Q_OBJECT

public:
    TFileDialog(QWidget* parent, const QString& caption, const QString& directory, const QString& filter);
};
