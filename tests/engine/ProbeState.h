#pragma once
// A configurable state for the engine tests: every call is written to one journal, so a test
// can check what was called, on which state and in which order.
#include "engine/EngineState.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ProbeRole {
    std::string name;
    bool initResult = true;
    bool handlesEscape = false;
    // Run from Init / Update with the state's own id (requests to the engine, for instance).
    void (*onInit)(int32_t id) = nullptr;
    void (*onUpdate)(int32_t id) = nullptr;
};

class ProbeWorld {
public:
    static ProbeWorld& Get();

    // The states the probe factory knows, by id.
    std::map<int32_t, ProbeRole> roles;
    std::vector<std::string> journal;

    void Reset() {
        roles.clear();
        journal.clear();
    }
    void Add(int32_t id, const std::string& name) { roles[id].name = name; }
    void Record(const std::string& line) { journal.push_back(line); }
    // The entries of the journal that begin with prefix, in order.
    std::vector<std::string> Entries(const std::string& prefix) const;
};

class CProbeState final : public CEngineState {
public:
    CProbeState(int32_t id, const ProbeRole& role) : m_id(id), m_role(role) {}

    void Activate() override { Record("Activate"); }
    void OnMessage(int32_t messageId, int32_t parameter) override {
        Record("OnMessage " + std::to_string(messageId) + "," + std::to_string(parameter));
    }
    void Deactivate() override { Record("Deactivate"); }
    bool OnEscape() override {
        Record("OnEscape");
        return m_role.handlesEscape;
    }
    bool Init() override {
        Record("Init");
        if (m_role.onInit != nullptr) {
            m_role.onInit(m_id);
        }
        return m_role.initResult;
    }
    void Shutdown() override { Record("Shutdown"); }
    void OnChar(int32_t code) override { Record("OnChar " + std::to_string(code)); }
    const char* GetName() const override { return m_role.name.c_str(); }
    void Render() override { Record("Render"); }
    void Update(float dt) override {
        Record("Update");
        if (m_role.onUpdate != nullptr) {
            m_role.onUpdate(m_id);
        }
    }

private:
    void Record(const std::string& what) const { ProbeWorld::Get().Record(what + " " + m_role.name); }

    int32_t m_id;
    ProbeRole m_role;
};

// The factory over ProbeWorld::roles; null for every id it does not know.
CEngineState* CreateProbeState(int32_t id);
