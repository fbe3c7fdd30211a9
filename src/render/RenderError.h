#pragma once
// The one error type of the renderer, decoder and output stage. Its message is the text the user
// is shown (a file path, an outline error), so it is written for people, not developers.

#include <stdexcept>
#include <string>

namespace tessoly {

class RenderError : public std::runtime_error {
public:
    explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace tessoly
