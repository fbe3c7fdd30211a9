// The FreeImage lifetime and its message handler. FreeImage counts its initialisations, so nested
// holders (the window, a test, a fuzz target) are fine; construct and destroy them on one thread
// while no other thread calls the library.
//
// The library reports decoding errors and warnings through one process-wide callback. Without it
// they vanish; with a careless one they would print half-formatted text from several threads at
// once. The handler installed here is silent unless TESSOLY_FREEIMAGE_MESSAGES is set in the
// environment, and then writes each message as one line on stderr (one fprintf per message, so
// lines from the UI thread and the reading job do not interleave). It keeps no other state.
// libtiff's own error and warning handlers are routed the same way.

#include "imageio/FreeImageLibrary.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <initializer_list>

#include <FreeImage.h>

namespace tessoly {
namespace {

bool EchoMessages() {
    // A function-local static is initialised once, safely, by whichever thread comes first.
    static const bool echo = std::getenv("TESSOLY_FREEIMAGE_MESSAGES") != nullptr;
    return echo;
}

void OnFreeImageMessage(FREE_IMAGE_FORMAT format, const char* message) {
    if (!EchoMessages())
        return;
    const char* name = format == FIF_UNKNOWN ? nullptr : FreeImage_GetFormatFromFIF(format);
    std::fprintf(stderr, "FreeImage (%s): %s\n", name ? name : "-", message ? message : "");
}

// libtiff's handler signature and its setters (TIFFSetErrorHandler, TIFFSetWarningHandler).
using TiffMessageHandler = void (*)(const char* module, const char* format, std::va_list args);
using TiffSetMessageHandler = TiffMessageHandler (*)(TiffMessageHandler);

void OnTiffMessage(const char* module, const char* format, std::va_list args) {
    if (!EchoMessages())
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    std::fprintf(stderr, "libtiff (%s): %s\n", module ? module : "-", text);
}

// FreeImage's TIFF plugin leaves libtiff's own handlers in place, which print every unknown
// Exif tag of every TIFF read ("TIFFFieldWithTag: Internal error, ...") to stderr. libtiff is
// loaded with FreeImage, so its setters are looked up at run time instead of adding a build
// dependency for two calls; without them (a FreeImage built without libtiff) nothing changes.
void RouteLibTiffMessages() {
    for (const char* setter : {"TIFFSetErrorHandler", "TIFFSetWarningHandler"}) {
        if (void* symbol = ::dlsym(RTLD_DEFAULT, setter)) {
            reinterpret_cast<TiffSetMessageHandler>(symbol)(OnTiffMessage);
        }
    }
}

} // namespace

FreeImageLibrary::FreeImageLibrary() {
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(OnFreeImageMessage);
    RouteLibTiffMessages();
}

FreeImageLibrary::~FreeImageLibrary() {
    FreeImage_DeInitialise();
}

} // namespace tessoly
