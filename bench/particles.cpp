// One frame of the particle system, as the game runs it: the world update,
// then the draw (clock tick, second update, squares), finished on the GPU.
// Run under a display, e.g. xvfb-run -s '-screen 0 1024x768x24' bench_particles.
// From a folder with res/Particle.tga (build/game) the squares are
// textured; elsewhere they are plain.

#include "core/ClockHighDef.h"
#include "core/Random.h"
#include "physics/Particle.h"
#include "physics/ParticleEmitter.h"
#include "physics/ParticlePool.h"
#include "physics/ParticleSystem.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include <GL/glu.h>

#include <cstdlib>

using namespace Quillmere;
using namespace Quillmere::Physics;

namespace {

bool openWindow() {
    static bool open = false;
    if (!open) {
        if (SDL_Init(SDL_INIT_VIDEO) < 0 || SDL_SetVideoMode(1024, 768, 0, SDL_OPENGL) == nullptr) {
            return false;
        }
        atexit(SDL_Quit);
        setClock(new ClockHighDef());
        open = true;
    }
    return true;
}

// The game's view: a 45-degree perspective, the spray 90 units ahead.
void setView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, -20.0f, -90.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

void BM_ParticleFrame(benchmark::State& state) {
    if (!openWindow()) {
        state.SkipWithError("no OpenGL window (run under a display)");
        return;
    }
    Random::seed(1);
    ParticleSystem* system = ParticleSystem::getInstance();
    auto count = static_cast<float>(state.range(0));
    if (count > 0) {
        // A spray that lives for the whole run and stays in view.
        auto* e = new ParticleEmitter();
        e->system = system;
        e->accumulator = 1.0f;
        e->burstsPerSecond = 0.0f;
        e->particlesPerBurst = count;
        e->life.value = 1e9f;
        e->directionX.variance = 0.5f;
        e->directionY.variance = 0.5f;
        e->speed.value = 10.0f;
        e->speed.variance = 0.5f;
        system->addEmitter(e);
        system->update();
    }
    setView();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        system->update();
        system->draw();
        glFinish();
    }
    state.counters["particles"] = static_cast<double>(system->getParticles().size());
    for (Particle* p : system->getParticles()) {
        ParticlePool::release(p);
    }
    for (ParticleEmitter* e : system->getEmitters()) {
        delete e;
    }
    delete system;
}

} // namespace

BENCHMARK(BM_ParticleFrame)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
