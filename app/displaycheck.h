#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

// Watches the making of the application object: when no window system can be reached there, Qt would end the
// process by abort with a text about reinstalling; instead the program says "cannot open display …" on stderr
// and exits with status 1. What Qt says meanwhile is held back and passed on once the application object stands.
class TDisplayCheck {
public:
    // The arguments as the application object will read them (-platform, -display).
    TDisplayCheck(int argc, char** argv);
    ~TDisplayCheck();
    TDisplayCheck(const TDisplayCheck&) = delete;
    TDisplayCheck& operator=(const TDisplayCheck&) = delete;

private:
    // The display the window system is asked for, as the operator would name it; empty when none is named.
    static QByteArray DisplayName();
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    struct Held {
        QtMsgType type;
        QByteArray category;
        QString message;
    };
    static std::vector<Held> held_;
    static QByteArray platform_, display_; // from the arguments, else from the environment
    QtMessageHandler previous_;
};
