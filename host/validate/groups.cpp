#include "groups.h"

namespace vhost::validate {

const std::vector<Group>& AllGroups() {
    static const std::vector<Group> groups = {
        {"open", OpenGroup, false},
        {"queries", QueriesGroup},
        {"programs", ProgramsGroup},
        {"state", StateGroup},
        {"processing", ProcessingGroup},
        {"automation", AutomationGroup},
        {"editor", EditorGroup},
        {"threads", ThreadsGroup},
        {"calls", CallsGroup},
        {"lifecycle", LifecycleGroup},
        {"allocations", AllocationsGroup},
    };
    return groups;
}

} // namespace vhost::validate
