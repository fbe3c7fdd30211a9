#pragma once
// The heap policy of the window's batch. Every image of a batch needs the same few full-size frames
// (the library's decoded image, its output conversion, the encoder's buffer). Served by mmap, each
// one goes back to the kernel when freed and is faulted in again, zero-filled, for the next image,
// which costs about as much as a full copy of the picture. While a batch runs the frames come from
// the heap and stay there; when it ends the old policy returns and the free heap is trimmed, so an
// idle window does not keep a batch's peak. Enter and Leave are user-interface thread only; the
// settings are process-wide, and every thread of the program allocates from the one main heap
// (set up at start), so they reach the batch's worker threads too.

namespace tessoly {

//! Keeps freed large blocks in the heap for reuse until LeaveBatchHeap. Calls do not nest.
void EnterBatchHeap();
//! Returns large blocks to mmap; TrimFreeHeap then gives the batch's free frames back.
void LeaveBatchHeap();
//! Gives the heap's free memory back to the kernel. Any thread: after a batch of large photos it
//! takes about a tenth of a second, too long for the user-interface thread.
void TrimFreeHeap();

} // namespace tessoly
