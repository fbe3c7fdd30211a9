#include "batch/HandOffGate.h"

#include <semaphore>

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace tessoly {

//! One step waiting for the user-interface thread, and the worker waiting for it.
struct HandOffGate::PendingStep {
    const std::function<void()>* step = nullptr;
    std::binary_semaphore done{0};
    //! Written on the user-interface thread before done is released, read by the worker after.
    bool ran = false;
};

namespace {

//! The doorbell: each posted call runs one queued step of its gate.
class HandOffReceiver : public QObject {
public:
    explicit HandOffReceiver(HandOffGate& gate) : gate_(gate) {}
    bool event(QEvent* event) override {
        if (event->type() == DoorbellType()) {
            gate_.RunNextStep();
            return true;
        }
        return QObject::event(event);
    }
    static QEvent::Type DoorbellType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

private:
    HandOffGate& gate_;
};

} // namespace

HandOffGate::HandOffGate() : receiver_(new HandOffReceiver(*this)) {
    HandOffReceiver::DoorbellType();
}

HandOffGate::~HandOffGate() {
    // Normally Close() has deleted the receiver already. If not, the last owner is going away on
    // some thread; the receiver must die on its own thread.
    if (receiver_ != nullptr) {
        if (receiver_->thread() == QThread::currentThread()) {
            delete receiver_;
        } else {
            receiver_->deleteLater();
        }
    }
}

bool HandOffGate::Run(const std::function<void()>& step) {
    std::shared_ptr<PendingStep> pending;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return false;
        }
        if (receiver_->thread() != QThread::currentThread()) {
            pending = std::make_shared<PendingStep>();
            pending->step = &step;
            queue_.push_back(pending);
            QCoreApplication::postEvent(receiver_, new QEvent(HandOffReceiver::DoorbellType()));
        }
    }
    if (!pending) {
        // Already where the step belongs (a test driving a job body directly); the step may
        // itself close the gate, so it runs outside the lock.
        ++stepDepth_;
        step();
        --stepDepth_;
        return true;
    }
    pending->done.acquire();
    return pending->ran;
}

void HandOffGate::RunNextStep() {
    std::shared_ptr<PendingStep> pending;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || queue_.empty()) {
            return;
        }
        pending = queue_.front();
        queue_.pop_front();
    }
    ++stepDepth_;
    (*pending->step)();
    --stepDepth_;
    pending->ran = true;
    pending->done.release();
}

void HandOffGate::Close() {
    QObject* receiver = nullptr;
    std::deque<std::shared_ptr<PendingStep>> dropped;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return;
        }
        closed_ = true;
        receiver = receiver_;
        receiver_ = nullptr;
        dropped.swap(queue_);
    }
    for (const auto& pending : dropped) {
        pending->done.release();
    }
    // Inside a step the receiver is busy delivering that step's doorbell, so it may only go later.
    QCoreApplication::removePostedEvents(receiver);
    if (stepDepth_ == 0) {
        delete receiver;
    } else {
        receiver->deleteLater();
    }
}

bool HandOffGate::IsClosed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

} // namespace tessoly
