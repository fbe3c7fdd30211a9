#pragma once
// The FreeImage lifetime: initialised once before any library call, de-initialised at the end.
// Hold one of these for as long as the library is used (the window, tessoly-cli, a test main).

namespace tessoly {

class FreeImageLibrary {
public:
    FreeImageLibrary();
    ~FreeImageLibrary();
    FreeImageLibrary(const FreeImageLibrary&) = delete;
    FreeImageLibrary& operator=(const FreeImageLibrary&) = delete;
};

} // namespace tessoly
