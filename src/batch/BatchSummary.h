#pragma once
// The end-of-run message of a batch, shared by the window's batch job and tessoly-cli.

#include <string>

namespace tessoly {

//! "N error(s) occurred during the watermarking process!\r\nProbably disk write error or skipped
//! image." for errorCount N (failed and skipped images together).
std::string BatchErrorMessage(int errorCount);

} // namespace tessoly
