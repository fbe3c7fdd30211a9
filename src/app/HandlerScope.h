#pragma once
// HandlerScope: one settings handler's run, so nested handlers leave the render to the outer one.

#include "app/MainWindow.h"

namespace tessoly {

//! Marks the run of one settings handler; see handlerDepth_.
class HandlerScope {
public:
    explicit HandlerScope(TMainForm& form) : form_(form) { ++form_.handlerDepth_; }
    ~HandlerScope() { --form_.handlerDepth_; }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

private:
    TMainForm& form_;
};

} // namespace tessoly
