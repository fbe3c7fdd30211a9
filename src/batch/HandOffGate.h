#pragma once
// HandOffGate: the synchronous hand-off from a job's worker thread to the user-interface thread.
//
// A worker calls Run(step); the step is queued to a receiver object that lives on the
// user-interface thread, runs there from its event loop, and the worker waits until it has run.
// So every job step that touches the window, the list or an image runs on the user-interface
// thread while the worker is held, and the window keeps painting and answering input between
// steps.
//
// The rule that keeps a step from reaching a window that is gone: the window calls Close() (on
// the user-interface thread) before it destroys anything a step may use. Close() marks the gate
// closed under the lock that Run() holds while it queues, then drops every step still queued
// without running it and deletes the receiver. A dropped step releases its waiting worker, and
// Run() returns false; after Close() no step is ever queued again, so none can run. Close() runs
// on the same thread as the steps, so no step is half-run by it: a window closed from inside a
// step lets that step finish, and nothing after it runs.
//
// The gate is shared (std::shared_ptr) between the window and the jobs it started, so a worker
// that outlives the window still holds a valid gate and only learns that it is closed.

#include <functional>
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

private:
    mutable std::mutex mutex_;
    //! Guarded by mutex_: set once, by Close().
    bool closed_ = false;
    //! Lives on the user-interface thread; deleted by Close(). Guarded by mutex_ for reading.
    QObject* receiver_ = nullptr;
    //! Steps running right now; user-interface thread only.
    int stepDepth_ = 0;
};

} // namespace tessoly
