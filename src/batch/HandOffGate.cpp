#include "batch/HandOffGate.h"

#include <memory>
#include <semaphore>

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace tessoly {

namespace {

//! What one waiting worker and its queued step share.
struct StepCompletion {
    std::binary_semaphore done{0};
    //! Written on the user-interface thread before done is released, read by the worker after.
    bool ran = false;
};

//! Owned by the queued step alone: releases the worker when the step is destroyed, whether it ran
//! or was dropped with its receiver.
class CompletionToken {
public:
    explicit CompletionToken(std::shared_ptr<StepCompletion> completion) : completion_(std::move(completion)) {}
    ~CompletionToken() { completion_->done.release(); }
    CompletionToken(const CompletionToken&) = delete;
    CompletionToken& operator=(const CompletionToken&) = delete;
    void MarkRan() { completion_->ran = true; }

private:
    std::shared_ptr<StepCompletion> completion_;
};

} // namespace

HandOffGate::HandOffGate() : receiver_(new QObject) {}

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
    auto completion = std::make_shared<StepCompletion>();
    bool onReceiverThread = false;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return false;
        }
        onReceiverThread = receiver_->thread() == QThread::currentThread();
        if (!onReceiverThread) {
            auto token = std::make_shared<CompletionToken>(completion);
            QMetaObject::invokeMethod(
                receiver_,
                [this, step, token]() {
                    ++stepDepth_;
                    step();
                    --stepDepth_;
                    token->MarkRan();
                },
                Qt::QueuedConnection);
        }
    }
    if (onReceiverThread) {
        // Already where the step belongs (a test driving a job body directly); the step may
        // itself close the gate, so it runs outside the lock.
        ++stepDepth_;
        step();
        --stepDepth_;
        return true;
    }
    completion->done.acquire();
    return completion->ran;
}

void HandOffGate::Close() {
    QObject* receiver = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return;
        }
        closed_ = true;
        receiver = receiver_;
        receiver_ = nullptr;
    }
    // Removing the queued steps destroys them unrun; each one's token releases its worker. Inside a
    // step the receiver is busy delivering that step's event, so it may only go later.
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
