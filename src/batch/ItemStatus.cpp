#include "batch/ItemStatus.h"

namespace tessoly {

const char* ItemStatusName(ItemStatus status) {
    switch (status) {
    case ItemStatus::Waiting:
        return "Waiting";
    case ItemStatus::InProgress:
        return "InProgress";
    case ItemStatus::Successful:
        return "Successful";
    case ItemStatus::Unsuccessful:
        return "Unsuccessful";
    case ItemStatus::Skipped:
        return "Skipped";
    }
    return "Waiting";
}

} // namespace tessoly
