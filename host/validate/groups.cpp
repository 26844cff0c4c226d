#include "groups.h"

namespace vhost::validate {

const std::vector<Group>& allGroups() {
    static const std::vector<Group> groups = {
        {"open", openGroup, false},
        {"queries", queriesGroup},
        {"programs", programsGroup},
        {"state", stateGroup},
        {"processing", processingGroup},
        {"automation", automationGroup},
        {"editor", editorGroup},
        {"threads", threadsGroup},
        {"calls", callsGroup},
        {"lifecycle", lifecycleGroup},
        {"allocations", allocationsGroup},
    };
    return groups;
}

} // namespace vhost::validate
