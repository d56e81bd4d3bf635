#pragma once

#include <QApplication>

// The application object: an exception that escapes any handler is discarded and the program goes on.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // How many exceptions were discarded; each is also written to stderr.
    int DiscardedExceptions() const { return discarded_; }

private:
    void AppEventsException(const char* what);
    int discarded_ = 0;
};
