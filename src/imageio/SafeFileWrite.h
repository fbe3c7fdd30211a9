#pragma once
// Replacing a file without ever destroying it: the bytes go to a temporary file in the target's
// folder, which is flushed, synced and closed with every step checked, and only then renamed
// over the target. On any failure the temporary file is removed and an existing target is left
// byte for byte as it was.

#include <cstddef>
#include <string>

namespace tessoly {

//! Writes size bytes to path as described above. An existing target keeps its permission bits;
//! a target the user may not write (a read-only file) is refused, as a plain write would be.
//! Throws RenderError with the user's text on failure. Safe to call from several threads.
void WriteFileSafely(const std::string& path, const void* data, std::size_t size);

} // namespace tessoly
