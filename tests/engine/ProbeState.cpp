#include "ProbeState.h"

ProbeWorld& ProbeWorld::Get() {
    static ProbeWorld world;
    return world;
}

std::vector<std::string> ProbeWorld::Entries(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : journal) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            found.push_back(line);
        }
    }
    return found;
}

CEngineState* CreateProbeState(int32_t id) {
    const auto role = ProbeWorld::Get().roles.find(id);
    if (role == ProbeWorld::Get().roles.end()) {
        return nullptr;
    }
    return new CProbeState(id, role->second);
}
