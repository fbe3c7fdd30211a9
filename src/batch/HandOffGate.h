#pragma once
// HandOffGate: the synchronous hand-off from a job's worker thread to the user-interface thread.
//
// A worker calls Run(step); the step joins a queue, a doorbell is posted to a receiver object that
// lives on the user-interface thread, the receiver takes the step from the queue and runs it from
// that thread's event loop, and the worker waits until it has run. So every job step that touches
// the window, the list or an image runs on the user-interface thread while the worker is held,
// and the window keeps painting and answering input between steps.
//
// The steps and their completions pass through the gate's own mutex and semaphores, not through
// the event queue: the posted doorbell carries nothing, so whatever the toolkit does with its
// events, a step is only ever read under the lock it was queued under.
//
// The rule that keeps a step from reaching a window that is gone: the window calls Close() (on
// the user-interface thread) before it destroys anything a step may use. Close() marks the gate
// closed under the lock that Run() queues under, releases every waiting worker without running
// its step (Run() returns false) and deletes the receiver; after that no step is queued or run.
// Close() runs on the same thread as the steps, so no step is half-run by it: a window closed from
// inside a step lets that step finish, and nothing after it runs.
//
// The gate is shared (std::shared_ptr) between the window and the jobs it started, so a worker
// that outlives the window still holds a valid gate and only learns that it is closed.

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace tessoly {

class HandOffGate {
public:
    //! Must be constructed on the user-interface thread: the receiver is created there.
    HandOffGate();
    ~HandOffGate();
    HandOffGate(const HandOffGate&) = delete;
    HandOffGate& operator=(const HandOffGate&) = delete;

    //! Worker thread only: runs step on the user-interface thread and waits for it. Returns false,
    //! without running it, when the gate is closed or closes before the step's turn comes.
    //! Called from the user-interface thread itself it runs the step at once (no wait, no queue).
    bool Run(const std::function<void()>& step);
    //! User-interface thread only: no step runs after this returns. Safe to call twice.
    void Close();
    //! Any thread.
    bool IsClosed() const;

    struct PendingStep;
    //! User-interface thread, from the receiver's doorbell: runs the oldest queued step.
    void RunNextStep();

private:
    mutable std::mutex mutex_;
    //! Guarded by mutex_: set once, by Close().
    bool closed_ = false;
    //! Guarded by mutex_: steps waiting for their turn, oldest first.
    std::deque<std::shared_ptr<PendingStep>> queue_;
    //! Lives on the user-interface thread; deleted by Close(). Guarded by mutex_ for reading.
    QObject* receiver_ = nullptr;
    //! Steps running right now; user-interface thread only.
    int stepDepth_ = 0;
};

} // namespace tessoly
