#include "imageio/WrittenOutputs.h"

#include "imageio/OutputNaming.h"

namespace tessoly {

bool WrittenOutputs::Contains(const std::string& path) const {
    const std::string key = NormalisedPath(path);
    std::lock_guard lock(mutex_);
    return paths_.count(key) != 0;
}

void WrittenOutputs::Record(const std::string& path) {
    std::string key = NormalisedPath(path);
    std::lock_guard lock(mutex_);
    paths_.insert(std::move(key));
}

void WrittenOutputs::Clear() {
    std::lock_guard lock(mutex_);
    paths_.clear();
}

std::string AlreadyWrittenReason(const std::string& targetPath) {
    return targetPath + " was already written by this batch";
}

} // namespace tessoly
