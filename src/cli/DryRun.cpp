#include "cli/DryRun.h"

#include <filesystem>

#include <FreeImage.h>

#include "cli/SourceCheck.h"
#include "imageio/OutputConversion.h"
#include "imageio/OutputFormat.h"
#include "imageio/OutputNaming.h"
#include "render/Bitmap32.h"
#include "render/RenderError.h"

namespace tessoly::cli {

namespace {

std::string PathKey(const std::string& path) {
    return std::filesystem::absolute(std::filesystem::path(path)).lexically_normal().string();
}

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
    const bool exists = IsExistingFile(plain) || planned.count(PathKey(plain)) > 0;
    line.target = plain;
    if (!exists) {
        line.status = "Write";
    } else if (output.existingFilePolicy == ExistingFilePolicy::Overwrite) {
        line.status = "Overwrite";
    } else if (output.existingFilePolicy == ExistingFilePolicy::Rename) {
        line.status = "Rename";
        line.target = base + RenameSuffix + extension;
    } else {
        line.status = "Skip";
        line.reason = "skipped " + source + ": " + plain + " already exists";
        line.shortfall = Shortfall::Skipped;
        return line;
    }
    if (!problems.afterTarget.empty()) {
        Fail(line, problems.afterTarget);
        return line;
    }
    planned.insert(PathKey(line.target));
    return line;
}

} // namespace tessoly::cli
