#include "preview/WidgetEvents.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace tessoly {

namespace {

class EventHook : public QObject {
public:
    EventHook(QWidget* widget, QEvent::Type type, std::function<void()> handler)
        : QObject(widget), type_(type), handler_(std::move(handler)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == type_) {
            if (type_ == QEvent::MouseButtonPress &&
                static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
                return false;
            handler_();
            return type_ == QEvent::MouseButtonPress;
        }
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> handler_;
};

} // namespace

void OnResize(QWidget* widget, std::function<void()> handler) {
    new EventHook(widget, QEvent::Resize, std::move(handler));
}

void OnClick(QWidget* widget, std::function<void()> handler) {
    new EventHook(widget, QEvent::MouseButtonPress, std::move(handler));
}

} // namespace tessoly
