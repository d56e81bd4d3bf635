#include "announcer.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* NotificationFor(const QString& key, QObject* object) {
    if (key == QLatin1String("TAnnouncer") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
    return nullptr;
}

} // namespace

TAnnouncer::TAnnouncer(QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(NotificationFor);
        return true;
    }();
    (void)installed;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    hide();
}

void TAnnouncer::Announce(const QString& text) {
    setAccessibleName(text);
    // The reader speaks it on "shown": hidden first when it still shows the last one.
    hide();
    show();
}
