#include "cli/DryRun.h"

#include <filesystem>

#include <FreeImage.h>

#include "cli/SourceCheck.h"
#include "imageio/OutputConversion.h"
#include "imageio/OutputFormat.h"
#include "imageio/OutputNaming.h"
#include "imageio/WrittenOutputs.h"
#include "render/Bitmap32.h"
#include "render/RenderError.h"

namespace tessoly::cli {

namespace {

void Fail(ReportLine& line, const std::string& reason) {
    line.status = "Unsuccessful";
    line.reason = line.source + ": " + reason;
    line.shortfall = Shortfall::NotWritten;
}

} // namespace

SettingsProblems FindSettingsProblems(const OutputSettings& output) {
    SettingsProblems problems;
    TBitmap32 picture(1, 1);
    try {
        const ConvertedOutput converted = ConvertForOutput(picture, nullptr, FIF_PNG, output);
        if (!converted.image)
            problems.afterTarget = converted.lostReason;
    } catch (const RenderError& error) {
        problems.beforeTarget = error.what();
    }
    return problems;
}

ReportLine PlanItem(const std::string& source, const std::string& outputFolder, const OutputSettings& output,
                    const SettingsProblems& problems, PlannedTargets& planned) {
    ReportLine line;
    line.source = source;
    // The header tells the format without decoding; a file it does not name fails the decode.
    const FREE_IMAGE_FORMAT format =
        std::filesystem::is_regular_file(source) ? FreeImage_GetFileType(source.c_str(), 0) : FIF_UNKNOWN;
    if (format == FIF_UNKNOWN) {
        line.status = "Unsuccessful";
        line.reason = source + ": " + SourceProblem(source);
        line.shortfall = Shortfall::NotRead;
        return line;
    }
    if (!problems.beforeTarget.empty()) {
        Fail(line, problems.beforeTarget);
        return line;
    }
    const std::string extension =
        SelectOutputFormat(FormatNameForChoice(output.formatChoice, format), output.jpegQuality).extension;
    const std::string base = OutputBasePath(source, outputFolder);
    const std::string plain = base + extension;
    const bool exists = IsExistingFile(plain) || planned.count(NormalisedPath(plain)) > 0;
    line.target = plain;
    bool skip = false;
    if (!exists) {
        line.status = "Write";
    } else if (output.existingFilePolicy == ExistingFilePolicy::Overwrite) {
        line.status = "Overwrite";
    } else if (output.existingFilePolicy == ExistingFilePolicy::Rename) {
        line.status = "Rename";
        line.target = base + RenameSuffix + extension;
    } else {
        skip = true;
    }
    // A run never replaces what it wrote itself, whatever the policy; told before the policy's skip.
    const bool ownOutput = planned.count(NormalisedPath(line.target)) > 0;
    if (ownOutput || skip) {
        line.status = "Skip";
        line.reason = "skipped " + source + ": " +
                      (ownOutput ? AlreadyWrittenReason(line.target) : plain + " already exists");
        line.shortfall = Shortfall::Skipped;
        return line;
    }
    if (!problems.afterTarget.empty()) {
        Fail(line, problems.afterTarget);
        return line;
    }
    planned.insert(NormalisedPath(line.target));
    return line;
}

} // namespace tessoly::cli
