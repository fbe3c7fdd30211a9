#pragma once
// The single-instance guard: a lock file named after "Tessoly" in the temp folder, held for the
// life of the process. A lock left by a process that has died is taken over.

#include <QLockFile>
#include <QString>

#include "app/DialogSeam.h"

namespace tessoly {

class SingleInstanceGuard {
public:
    //! folder: where the lock lives, the system temp folder for the program.
    explicit SingleInstanceGuard(const QString& folder);
    //! True when this process now holds the lock.
    bool Acquire();

private:
    QLockFile lock_;
};

//! Takes the guard; when another copy holds it, shows "An instance of Tessoly is already running!"
//! and returns false.
bool EnsureSingleInstance(SingleInstanceGuard& guard, DialogSeam& seam);

} // namespace tessoly
