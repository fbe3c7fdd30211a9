#include "batch/ParallelBatch.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include "imageio/OutputNaming.h"

namespace tessoly {

namespace {

//! Keys of the path families an item touches: the output base and the source without its
//! extension, each also without a trailing rename suffix (a Rename of base "a" writes "a" +
//! suffix, which is the family of base "a" + suffix).
std::vector<std::string> FamilyKeys(const std::string& source, const std::string& outputFolder) {
    std::vector<std::string> keys;
    const std::string suffix = RenameSuffix;
    for (const std::string& stem : {OutputBasePath(source, outputFolder), StripExtension(source)}) {
        const std::string key = NormalisedPath(stem);
        keys.push_back(key);
        if (key.size() > suffix.size() &&
            key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0) {
            keys.push_back(key.substr(0, key.size() - suffix.size()));
        }
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

//! The settings' own output folder for each of count items.
std::vector<std::string> FoldersOfItems(std::size_t count, const OutputSettings& output) {
    return std::vector<std::string>(count, output.outputFolder);
}

} // namespace

std::vector<std::vector<std::size_t>> ItemDependencies(const std::vector<std::string>& sources,
                                                       const OutputSettings& output) {
    return ItemDependencies(sources, FoldersOfItems(sources.size(), output));
}

std::vector<std::vector<std::size_t>> ItemDependencies(const std::vector<std::string>& sources,
                                                       const std::vector<std::string>& outputFolders) {
    std::vector<std::vector<std::size_t>> dependencies(sources.size());
    // The last item seen in each family: waiting for it waits for the whole chain before it.
    std::unordered_map<std::string, std::size_t> lastInFamily;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        for (const std::string& key : FamilyKeys(sources[i], outputFolders.at(i))) {
            const auto found = lastInFamily.find(key);
            if (found != lastInFamily.end())
                dependencies[i].push_back(found->second);
            lastInFamily[key] = i;
        }
        std::sort(dependencies[i].begin(), dependencies[i].end());
        dependencies[i].erase(std::unique(dependencies[i].begin(), dependencies[i].end()),
                              dependencies[i].end());
    }
    return dependencies;
}

namespace {

std::size_t RunBatch(const std::vector<std::string>& sources, const std::vector<std::string>& folders,
                     const WatermarkSettings& watermark, const OutputSettings& output, int jobs,
                     const ParallelBatchCallbacks& callbacks) {
    const std::size_t total = sources.size();
    if (total == 0)
        return 0;
    const std::vector<std::vector<std::size_t>> dependencies = ItemDependencies(sources, folders);

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nextItem = 0; // the lowest item no worker has taken; items are taken in order
    std::size_t finished = 0;
    std::size_t running = 0; // workers that may still take or finish an item
    std::vector<std::optional<PipelineResult>> results(total);
    // Shared by the workers: an item never replaces a file an earlier item wrote.
    WrittenOutputs writtenThisRun;

    // Items are taken in list order and depend only on earlier items, which are already taken by
    // running workers that never wait for later ones: the waiting cannot deadlock.
    auto worker = [&] {
        std::optional<WorkingImage> image;
        std::optional<TTrueTypeFont> font;
        std::string setupError;
        try {
            image.emplace();
            font.emplace();
        } catch (const std::exception& error) {
            setupError = error.what();
        }
        PipelineOptions options;
        options.showInPreview = false;
        options.writtenThisRun = &writtenThisRun;
        OutputSettings itemOutput = output; // its folder set per item
        for (;;) {
            std::size_t item = 0;
            {
                std::unique_lock lock(mutex);
                if (nextItem >= total || (callbacks.stopRequested && callbacks.stopRequested())) {
                    --running;
                    changed.notify_all();
                    return;
                }
                item = nextItem++;
                if (callbacks.onStarted)
                    changed.notify_all();
                changed.wait(lock, [&] {
                    return std::all_of(dependencies[item].begin(), dependencies[item].end(),
                                       [&](std::size_t d) { return results[d].has_value(); });
                });
            }
            PipelineResult result;
            if (callbacks.onItemDone) {
                options.onDone = [&callbacks, item](WorkingImage& done, const PipelineResult& r) {
                    callbacks.onItemDone(item, done, r);
                };
            }
            if (setupError.empty()) {
                itemOutput.outputFolder = folders[item];
                result = ProcessImage(sources[item], watermark, itemOutput, *image, *font, options);
            } else {
                result.sourcePath = sources[item];
                result.status = ItemStatus::Unsuccessful;
                result.failedStage = PipelineStage::Render;
                result.reason = setupError;
            }
            {
                std::lock_guard lock(mutex);
                results[item] = std::move(result);
                ++finished;
            }
            changed.notify_all();
        }
    };

    const std::size_t threadCount = std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), total);
    std::vector<std::thread> threads;
    threads.reserve(threadCount);
    running = threadCount;
    for (std::size_t t = 0; t < threadCount; ++t)
        threads.emplace_back(worker);

    std::size_t reported = 0;
    std::size_t progressShown = 0;
    std::size_t startedShown = 0;
    const bool reportStarts = static_cast<bool>(callbacks.onStarted);
    bool stopped = false;
    while (reported < total && !stopped) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] {
            return results[reported].has_value() || finished != progressShown || running == 0 ||
                   (reportStarts && nextItem != startedShown);
        });
        const std::size_t finishedNow = finished;
        const std::size_t takenNow = nextItem;
        std::vector<std::pair<std::size_t, PipelineResult>> ready;
        while (reported < total && results[reported].has_value()) {
            ready.emplace_back(reported, *results[reported]);
            ++reported;
        }
        // Taken items form a prefix of the list, so once every worker has left, what is not
        // reported yet was never taken.
        stopped = running == 0;
        lock.unlock();
        // Callbacks run unlocked so a slow terminal never holds up the workers. An item is taken
        // before it finishes, so its start is always handed on before its result.
        if (reportStarts) {
            for (; startedShown < takenNow; ++startedShown)
                callbacks.onStarted(startedShown);
        }
        for (const auto& [index, result] : ready) {
            if (callbacks.onResult)
                callbacks.onResult(index, result);
        }
        if (finishedNow != progressShown) {
            progressShown = finishedNow;
            if (callbacks.onProgress)
                callbacks.onProgress(finishedNow, total);
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    return reported;
}

} // namespace

std::size_t RunParallelBatch(const std::vector<std::string>& sources, const WatermarkSettings& watermark,
                             const OutputSettings& output, int jobs,
                             const ParallelBatchCallbacks& callbacks) {
    return RunBatch(sources, FoldersOfItems(sources.size(), output), watermark, output, jobs, callbacks);
}

std::size_t RunParallelBatch(const std::vector<std::string>& sources,
                             const std::vector<std::string>& outputFolders,
                             const WatermarkSettings& watermark, const OutputSettings& output, int jobs,
                             const ParallelBatchCallbacks& callbacks) {
    if (outputFolders.size() != sources.size())
        throw std::invalid_argument("one output folder per source is needed");
    return RunBatch(sources, outputFolders, watermark, output, jobs, callbacks);
}

} // namespace tessoly
