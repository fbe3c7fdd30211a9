#pragma once
// HostJob: the worker-thread plumbing of the window's background jobs. A job owns a share of the
// window's hand-off gate and job flags, reaches its Host (the window side) only through hand-offs
// run on the user-interface thread, and keeps a terminate request that any thread may raise.

#include <atomic>
#include <memory>
#include <utility>

#include <QThread>

#include "batch/HandOffGate.h"
#include "batch/JobFlags.h"

namespace tessoly {

template <typename Host> class HostJob : public QThread {
public:
    //! Any thread: raises the terminate request; the job decides where it stops.
    void Terminate() { terminateRequested_.store(true); }
    bool TerminateRequested() const { return terminateRequested_.load(); }

protected:
    //! Created on the user-interface thread; start() runs the job.
    HostJob(std::shared_ptr<HandOffGate> gate, std::shared_ptr<JobFlags> flags, Host& host, QObject* parent)
        : QThread(parent), gate_(std::move(gate)), flags_(std::move(flags)), host_(host) {}

    //! Runs one host step on the user-interface thread and waits for it; false when the gate was
    //! closed and the step did not run.
    template <typename Step> bool HandOff(Step step) {
        return gate_->Run([this, &step]() { step(host_); });
    }
    //! True once the window is gone: no step will run any more.
    bool HandOffsClosed() const { return gate_->IsClosed(); }
    JobFlags& Flags() { return *flags_; }
    //! The job's last act on the worker thread: the window may free the gate and the flags as soon
    //! as it has seen the job end, so the job's shares must already be gone by then.
    void ReleaseShares() {
        gate_.reset();
        flags_.reset();
    }

private:
    std::shared_ptr<HandOffGate> gate_;
    std::shared_ptr<JobFlags> flags_;
    //! Touched only inside hand-offs, which never run once the window (the host) is gone.
    Host& host_;
    std::atomic<bool> terminateRequested_{false};
};

} // namespace tessoly
