#pragma once
// Particle bursts and sparkles: the look of balls being blown away. Plain data updated
// by the rules each step; drawing is in EffectsDraw.cpp.
#include <cstdint>
#include <vector>

struct Particle {
    float x = 0.0f, y = 0.0f;
    float vx = 0.0f, vy = 0.0f;
    float age = 0.0f, lifetime = 0.0f;
    float grey = 0.65f;
    bool active = false;
};

// A ring buffer of particles: a burst takes the next slots, the oldest go first.
class CParticleSystem {
public:
    static constexpr int32_t kCapacity = 500;

    void Burst(float x, float y, int32_t count);
    void Update(float dt);
    void Clear();
    int32_t ActiveCount() const;
    int32_t EmittedTotal() const { return m_emittedTotal; }
    const Particle& At(int32_t index) const { return m_particles[index]; }

private:
    Particle m_particles[kCapacity];
    int32_t m_next = 0;
    int32_t m_emittedTotal = 0;
};

// Follows a ball taken off by a multicolour shot and leaves a trail of single particles.
struct Sparkle {
    float x = 0.0f, y = 0.0f;
    float timer = 0.0f;
    float interval = 0.02f;
    int32_t emissionsLeft = 20;
};

// The two particle systems and the sparkles of one playfield.
class CEffects {
public:
    CEffects();

    // A burst of count particles centred on (x, y) in the first system.
    void Burst(float x, float y, int32_t count) { m_particles[0].Burst(x, y, count); }
    void AddSparkle(float x, float y);
    void Update(float dt);
    void Clear();

    const CParticleSystem& System(int32_t index) const { return m_particles[index & 1]; }
    int32_t SparkleCount() const { return static_cast<int32_t>(m_sparkles.size()); }
    int32_t BurstsTotal() const { return m_particles[0].EmittedTotal(); }

private:
    CParticleSystem m_particles[2];
    std::vector<Sparkle> m_sparkles;
};
