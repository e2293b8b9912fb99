#pragma once

#include "core/Singleton.h"
#include "physics/Vector3f.h"

#include <list>

namespace Quillmere {
namespace Physics {

class Force;
class Particle;
class ParticleEmitter;

// Moves and draws every particle of the game. Time comes from the global
// clock (Quillmere::getClock()), which must be installed before the first
// update; draw() is what advances that clock, once per frame.
class ParticleSystem : public Singleton<ParticleSystem> {
public:
    ParticleSystem();
    // Deletes the lists only: particles belong to the pool, forces to their
    // creators, and emitters still attached are left alone.
    virtual ~ParticleSystem();

    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // Runs the emitters, retires expired ones, then moves every particle by
    // the clock's last delta and retires the dead to the pool.
    virtual void update();

    // Ticks the clock, updates once more and draws the live particles as red
    // additive squares, textured with "res/Particle.tga" when it loads.
    // Leaves lighting on, blending off and depth writes on; the blend
    // function, shading and hints stay as set, texturing as it was.
    void draw();

    // Retires every live particle to the pool and deletes every emitter, as
    // if all had run out. Forces, wind, gravity and drag stay as they are.
    void clear();

    // Takes ownership: the emitter is deleted when it expires.
    void addEmitter(ParticleEmitter* emitter);

    void setGravity(const Vector3f& g) { gravity = g; }
    void setWind(const Vector3f& w) { wind = w; }
    void setDrag(float d) { drag = d; }

    std::list<Particle*>& getParticles() { return *particles; }
    std::list<ParticleEmitter*>& getEmitters() { return *emitters; }
    // The caller keeps ownership of the forces it adds here.
    std::list<Force*>& getForces() { return *forces; }
    const Vector3f& getGravity() const { return gravity; }

private:
    void updateEmitters();
    void updateParticles();
    Vector3f forceOn(const Particle& p) const;

    std::list<Particle*>* particles;
    std::list<Force*>* forces;
    std::list<ParticleEmitter*>* emitters;
    Vector3f wind;
    Vector3f gravity;
    float drag; // fraction of the velocity lost per clock second
};

} // namespace Physics
} // namespace Quillmere
