#include "batch/StartCheck.h"

namespace tessoly {

QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 0x20) {
        ++first;
    }
    while (last > first && text[last - 1].unicode() <= 0x20) {
        --last;
    }
    return text.mid(first, last - first);
}

StartDecision DecideStart(const StartState& state) {
    if (state.batchRunning) {
        return StartDecision::AskCancelBatch;
    }
    if (state.readingInProgress) {
        return StartDecision::StopReading;
    }
    if (state.rowCount == 0) {
        return StartDecision::EmptyList;
    }
    if (state.checkedCount == 0) {
        return StartDecision::NothingChecked;
    }
    if (state.textMode) {
        if (TrimBlanks(state.caption).isEmpty()) {
            return StartDecision::MissingCaption;
        }
    } else if (TrimBlanks(state.picturePath).isEmpty()) {
        return StartDecision::MissingPicture;
    }
    return state.overwritePolicy ? StartDecision::AskOverwrite : StartDecision::Start;
}

} // namespace tessoly
