#pragma once
// The heap policy of the window's batch. Every image of a batch needs the same few full-size frames
// (the library's decoded image, its output conversion, the encoder's buffer). Served by mmap, each
// one goes back to the kernel when freed and is faulted in again, zero-filled, for the next image,
// which costs about as much as a full copy of the picture. While a batch runs the frames come from
// the heap and stay there; when it ends the old policy returns and the free heap is trimmed, so an
// idle window does not keep a batch's peak. The calls are user-interface thread only; the settings
// are process-wide, so they reach the batch's worker threads too, except that glibc serves a block
// larger than a worker arena's heap (64 MiB) from mmap whatever they say.

namespace tessoly {

//! Keeps freed large blocks in the heap for reuse until LeaveBatchHeap. Calls do not nest.
void EnterBatchHeap();
//! Returns large blocks to mmap, trims the heap.
void LeaveBatchHeap();

} // namespace tessoly
