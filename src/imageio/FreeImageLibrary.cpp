// The FreeImage lifetime and its message handler. FreeImage counts its initialisations, so nested
// holders (the window, a test, a fuzz target) are fine; construct and destroy them on one thread
// while no other thread calls the library.
//
// The library reports decoding errors and warnings through one process-wide callback. Without it
// they vanish; with a careless one they would print half-formatted text from several threads at
// once. The handler installed here is silent unless TESSOLY_FREEIMAGE_MESSAGES is set in the
// environment, and then writes each message as one line on stderr (one fprintf per message, so
// lines from the UI thread and the reading job do not interleave). It keeps no other state.

#include "imageio/FreeImageLibrary.h"

#include <cstdio>
#include <cstdlib>

#include <FreeImage.h>

namespace tessoly {
namespace {

void OnFreeImageMessage(FREE_IMAGE_FORMAT format, const char* message) {
    // A function-local static is initialised once, safely, by whichever thread comes first.
    static const bool echo = std::getenv("TESSOLY_FREEIMAGE_MESSAGES") != nullptr;
    if (!echo) return;
    const char* name = format == FIF_UNKNOWN ? nullptr : FreeImage_GetFormatFromFIF(format);
    std::fprintf(stderr, "FreeImage (%s): %s\n", name ? name : "-", message ? message : "");
}

} // namespace

FreeImageLibrary::FreeImageLibrary() {
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(OnFreeImageMessage);
}

FreeImageLibrary::~FreeImageLibrary() { FreeImage_DeInitialise(); }

} // namespace tessoly
