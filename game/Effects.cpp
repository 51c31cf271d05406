#include "game/Effects.h"

#include "core/Random.h"

#include <cmath>

namespace {
constexpr float kSparkleDrift = 600.0f;
constexpr float kSparkleLowestY = 400.0f;
constexpr float kSparkleIntervalGrowth = 0.1f;
constexpr size_t kSparkleReserve = 130;

float RandomUnit() {
    return static_cast<float>(RandomNext()) / static_cast<float>(kRandomMax);
}
}  // namespace

void CParticleSystem::Burst(float x, float y, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        Particle& particle = m_particles[m_next];
        m_next = (m_next + 1) % kCapacity;
        const float angle = RandomUnit() * 6.2831853f;
        const float speed = 40.0f + RandomUnit() * 160.0f;
        particle.x = x;
        particle.y = y;
        particle.vx = std::cos(angle) * speed;
        particle.vy = std::sin(angle) * speed;
        particle.age = 0.0f;
        particle.lifetime = 0.3f + RandomUnit() * 0.5f;
        particle.grey = 0.6f + RandomUnit() * 0.1f;
        particle.active = true;
        ++m_emittedTotal;
    }
}

void CParticleSystem::Update(float dt) {
    for (Particle& particle : m_particles) {
        if (!particle.active) {
            continue;
        }
        particle.age += dt;
        if (particle.age >= particle.lifetime) {
            particle.active = false;
            continue;
        }
        particle.x += particle.vx * dt;
        particle.y += particle.vy * dt;
        particle.vy += 200.0f * dt;
    }
}

void CParticleSystem::Clear() {
    for (Particle& particle : m_particles) {
        particle.active = false;
    }
    m_next = 0;
}

int32_t CParticleSystem::ActiveCount() const {
    int32_t count = 0;
    for (const Particle& particle : m_particles) {
        count += particle.active ? 1 : 0;
    }
    return count;
}

CEffects::CEffects() {
    m_sparkles.reserve(kSparkleReserve);
}

void CEffects::AddSparkle(float x, float y) {
    Sparkle sparkle;
    sparkle.x = x;
    sparkle.y = y;
    m_sparkles.push_back(sparkle);
}

void CEffects::Update(float dt) {
    m_particles[0].Update(dt);
    m_particles[1].Update(dt);
    for (size_t i = 0; i < m_sparkles.size();) {
        Sparkle& sparkle = m_sparkles[i];
        sparkle.timer += dt;
        if (sparkle.timer >= sparkle.interval) {
            sparkle.timer -= sparkle.interval;
            sparkle.interval += kSparkleIntervalGrowth;
            m_particles[1].Burst(sparkle.x, sparkle.y, 1);
            --sparkle.emissionsLeft;
        }
        sparkle.y += kSparkleDrift * dt;
        if (sparkle.emissionsLeft <= 0 || sparkle.y > kSparkleLowestY) {
            m_sparkles[i] = m_sparkles.back();
            m_sparkles.pop_back();
        } else {
            ++i;
        }
    }
}

void CEffects::Clear() {
    m_particles[0].Clear();
    m_particles[1].Clear();
    m_sparkles.clear();
}
