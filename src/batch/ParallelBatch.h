#pragma once
// Running the per-image pipeline over a list of sources on several threads with the results of a
// sequential run in list order.
//
// Items are independent unless one could write a file that another reads or writes: the same
// output base (same target, or a Rename of it), or an output where a later item's source lies.
// Such an item waits until every earlier item it shares a path family with has finished, so the
// existing-file policy sees exactly the files a one-by-one run would have left (of two sources
// with the same target under Skip, the first in list order writes and the second is skipped),
// and no item replaces a file an earlier item of the run wrote, whatever the policy.
// Everything else runs freely; results are handed on in list order on the calling thread.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "batch/ImagePipeline.h"
#include "imageio/OutputSettings.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! For each item, the earlier items it must wait for (each list ascending, possibly empty).
std::vector<std::vector<std::size_t>> ItemDependencies(const std::vector<std::string>& sources,
                                                       const OutputSettings& output);
//! The same with item i written into outputFolders[i] instead of output.outputFolder.
std::vector<std::vector<std::size_t>> ItemDependencies(const std::vector<std::string>& sources,
                                                       const std::vector<std::string>& outputFolders);

struct ParallelBatchCallbacks {
    //! One call per item, in list order, on the calling thread.
    std::function<void(std::size_t index, const PipelineResult& result)> onResult;
    //! Number of finished items, whenever it grows, on the calling thread; may be empty.
    std::function<void(std::size_t finished, std::size_t total)> onProgress;
    //! Asked on the worker threads before each item is taken; true ends the run once the items
    //! already taken are done (an interrupted run). May be empty; must be thread-safe.
    std::function<bool()> stopRequested;
    //! Each item once, in list order, on the calling thread, after a worker has taken it and before
    //! its onResult. May be empty.
    std::function<void(std::size_t index)> onStarted;
    //! On the worker that processed item index, once a decoded item is done and before its library
    //! image is released (PipelineOptions::onDone): the callee may take the composed picture from
    //! image. May be empty; must be thread-safe.
    std::function<void(std::size_t index, WorkingImage& image, const PipelineResult& result)> onItemDone;
};

//! Processes every source with `jobs` worker threads (at least 1), each with its own working
//! image and font object. Returns when every item taken is done and reported: the number of
//! items reported, which is less than sources.size() only when a stop was requested.
std::size_t RunParallelBatch(const std::vector<std::string>& sources, const WatermarkSettings& watermark,
                             const OutputSettings& output, int jobs, const ParallelBatchCallbacks& callbacks);
//! The same with item i written into outputFolders[i] (one per source) instead of
//! output.outputFolder, as a batch that mirrors its sources' sub-folders needs.
std::size_t RunParallelBatch(const std::vector<std::string>& sources,
                             const std::vector<std::string>& outputFolders,
                             const WatermarkSettings& watermark, const OutputSettings& output, int jobs,
                             const ParallelBatchCallbacks& callbacks);

} // namespace tessoly
