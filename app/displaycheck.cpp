#include "displaycheck.h"

#include <cstdio>
#include <cstdlib>

#include <cstring>

std::vector<TDisplayCheck::Held> TDisplayCheck::held_;
QByteArray TDisplayCheck::platform_;
QByteArray TDisplayCheck::display_;

TDisplayCheck::TDisplayCheck(int argc, char** argv) : previous_(qInstallMessageHandler(&TDisplayCheck::Handle)) {
    platform_ = qgetenv("QT_QPA_PLATFORM");
    display_ = qgetenv("DISPLAY");
    for (int i = 1; i + 1 < argc; ++i) {
        const char* name = argv[i][0] == '-' && argv[i][1] == '-' ? argv[i] + 1 : argv[i];
        if (std::strcmp(name, "-platform") == 0) platform_ = argv[i + 1];
        if (std::strcmp(name, "-display") == 0) display_ = argv[i + 1];
    }
}

TDisplayCheck::~TDisplayCheck() {
    qInstallMessageHandler(previous_);
    for (const Held& held : held_) {
        const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
        qt_message_output(held.type, context, held.message);
    }
    held_.clear();
}

QByteArray TDisplayCheck::DisplayName() {
    if (platform_.startsWith("wayland") || (platform_.isEmpty() && qEnvironmentVariableIsSet("WAYLAND_DISPLAY")))
        return "wayland:" + qgetenv("WAYLAND_DISPLAY");
    if (!platform_.isEmpty() && !platform_.startsWith("xcb")) return platform_;
    return display_;
}

void TDisplayCheck::Handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        held_.push_back({type, QByteArray(context.category), message});
        return;
    }
    // The only fatal failure while the application object is made: no platform could be started.
    const QByteArray display = DisplayName();
    if (display.isEmpty())
        std::fputs("vetlograd09: cannot open display: DISPLAY is not set (no window system to show the window on)\n",
                   stderr);
    else
        std::fprintf(stderr, "vetlograd09: cannot open display '%s'\n", display.constData());
    std::fflush(stderr);
    std::_Exit(1);
}
