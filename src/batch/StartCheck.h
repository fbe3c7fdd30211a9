#pragma once
// The Start button's decision, in the order its checks run: a running batch is asked about, a
// reading job is stopped, then the list, the check marks and the watermark are checked, and the
// Overwrite policy is confirmed before a run starts. The first case that matches wins.

#include <QString>

namespace tessoly {

//! What the window reads when Start is clicked.
struct StartState {
    bool batchRunning = false;
    bool readingInProgress = false;
    int rowCount = 0;
    int checkedCount = 0;
    //! True for the "text" watermark mode.
    bool textMode = true;
    QString caption;
    QString picturePath;
    bool overwritePolicy = false;
};

enum class StartDecision {
    AskCancelBatch, //!< confirm, then Terminate the batch job
    StopReading,    //!< Terminate the reading job, no question
    EmptyList,      //!< warning kAddSomeImagesText
    NothingChecked, //!< warning kSelectOneImageText
    MissingCaption, //!< text tab, warning kSetCaptionText
    MissingPicture, //!< image tab, warning kAddPictureText
    AskOverwrite,   //!< confirm kOverwriteStartText, then start unless No
    Start,          //!< start the batch job
};

StartDecision DecideStart(const StartState& state);

//! text without leading and trailing blanks and control characters (code points up to U+0020).
QString TrimBlanks(const QString& text);

inline constexpr const char* kCancelBatchText = "Are you sure you want to cancel the watermarking?";
inline constexpr const char* kAddSomeImagesText = "Add some images!";
inline constexpr const char* kSelectOneImageText = "Please select at least one image from the list!";
inline constexpr const char* kSetCaptionText = "Please set the watermark text caption!";
inline constexpr const char* kAddPictureText = "Please add a watermark image!";
inline constexpr const char* kOverwriteStartText =
    "Please be careful!\r\n\r\nAll existing images will overwrite!\r\nDo you want to continue?";
inline constexpr const char* kOverwriteChosenText =
    "Please be careful!\r\n\r\nIf this option is checked the existing\r\noutput image will overwrite!";

} // namespace tessoly
