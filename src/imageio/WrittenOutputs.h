#pragma once
// The files one batch run has written. The policy step consults it after the final target
// (Rename included) is chosen, so a later item of the same run never replaces an output written
// earlier, whatever the existing-file policy: that item is skipped instead. Thread-safe: the
// workers of one run share one set; items that could meet on a target are ordered by the batch,
// so the answer is that of a one-by-one run.

#include <mutex>
#include <string>
#include <unordered_set>

namespace tessoly {

class WrittenOutputs {
public:
    //! Was path (any spelling of it) written in this run?
    bool Contains(const std::string& path) const;
    //! Notes path after its file has been written whole.
    void Record(const std::string& path);
    //! Forgets every path: a new run begins.
    void Clear();

private:
    mutable std::mutex mutex_;
    //! NormalisedPath of every file written.
    std::unordered_set<std::string> paths_;
};

//! The skip reason of an item whose target this run wrote already.
std::string AlreadyWrittenReason(const std::string& targetPath);

} // namespace tessoly
