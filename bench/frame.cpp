// Whole frames of the game, the world update and the rendered frame, beside a
// bare clear-and-swap loop measured in the same run: how close a frame comes
// to what the renderer allows at all. Two worlds: the field alone (the
// survivor on the field), and a fight: the scene's four zombies come to the
// survivor, two pick-ups, thirty shots in flight and a thousand particles.
// And single events of play - a shot, a zombie rising, a pick-up appearing -
// each to be set against a frame of the field.
// Run under a display from the game's folder (it reads res/):
//   cd build/game && xvfb-run -s '-screen 0 1024x768x24 -noreset' ../bench/bench_frame

#include "BenchWindow.h"
#include "app/Globals.h"
#include "app/MainLoop.h"
#include "app/Renderer.h"
#include "app/Scene.h"
#include "app/StartUp.h"
#include "assets/OBJModel.h"
#include "assets/Texture2DManager.h"
#include "combat/Pistol.h"
#include "combat/PistolPowerup.h"
#include "combat/PistolProjectile.h"
#include "combat/Shotgun.h"
#include "combat/ShotgunPowerup.h"
#include "core/Camera.h"
#include "core/ClockHighDef.h"
#include "physics/ParticleEmitter.h"
#include "physics/ParticlePool.h"
#include "physics/ParticleSystem.h"
#include "platform/LargePageHeap.h"
#include "world/Character.h"
#include "world/ObjectList.h"
#include "world/Zombie.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <iterator>
#include <vector>

namespace {

using Quillmere::Physics::ParticleSystem;

const float DT = 1.0f / 60.0f;

bool setUpField() {
    static bool ready = false;
    static bool tried = false;
    if (!tried) {
        tried = true;
        // As the game does first thing; leave it out to see what it saves.
        if (std::getenv("MORROWFEN_BENCH_DEFAULT_HEAP") == nullptr) {
            platform::reserveLargePageHeap();
        }
        if (!openBenchWindow()) {
            return false;
        }
        grassPlane = new OBJModel();
        fence = new OBJModel();
        if (!grassPlane->load("res/grassPlane.obj", false) ||
            !fence->load("res/fence.obj", false)) {
            return false;
        }
        setUpFixedOpenGLState();
        // The display as the game draws it.
        font.init("res/arialBlack.ttf", 20);
        shellTexture = Texture2DManager::getInstance()->load("res/shell.tga");
        Quillmere::setClock(new Quillmere::ClockHighDef());
        water.loadTexture();
        ready = true;
    }
    return ready;
}

// An empty world and a fresh particle system.
void clearWorld() {
    Singleton<ObjectList>::getInstance()->clear();
    player = nullptr;
    ParticleSystem* system = ParticleSystem::getInstance();
    for (auto* p : system->getParticles()) {
        Quillmere::Physics::ParticlePool::release(p);
    }
    for (auto* e : system->getEmitters()) {
        delete e;
    }
    delete system;
}

template <class T> std::vector<T*> all() {
    std::vector<T*> found;
    for (Object* object : Singleton<ObjectList>::getInstance()->getObjects()) {
        if (auto* t = dynamic_cast<T*>(object)) {
            found.push_back(t);
        }
    }
    return found;
}

// Keeps thirty shots in the air, in view ahead of the survivor and clear of
// the zombies around it; they fly out of their lifetime and are replaced.
void keepShotsFlying() {
    ObjectList* list = Singleton<ObjectList>::getInstance();
    for (size_t i = all<Projectile>().size(); i < 30; ++i) {
        float across = (i % 2 == 0) ? 90.0f : 270.0f;
        list->add(new PistolProjectile(Vector2(-150.0f + 10.0f * i, -250.0f - 5.0f * i), across));
    }
}

// Two clips lying in view, out of the survivor's reach; replaced when gone.
void keepPickUps() {
    ObjectList* list = Singleton<ObjectList>::getInstance();
    if (all<PistolPowerup>().empty()) {
        list->add(new PistolPowerup(Vector2(-60.0f, -140.0f)));
    }
    if (all<ShotgunPowerup>().empty()) {
        list->add(new ShotgunPowerup(Vector2(60.0f, -140.0f)));
    }
}

// The survivor's health below which a fight is set up afresh: zombies in
// touch strike it down within seconds, and the fight is to go on for as
// long as the benchmark runs.
const float FIGHT_HEALTH = 40.0f;

// The scene as the game makes it, with its zombies risen and come to the
// survivor, and ten hits' sprays lying at their feet for the whole run.
void buildFight() {
    clearWorld();
    createScene();
    for (int i = 0; i < 12 * 60 && player->getHealth() > 70.0f; ++i) {
        updateWorld(DT);
    }
    ParticleSystem* system = ParticleSystem::getInstance();
    std::vector<Zombie*> zombies = all<Zombie>();
    for (int i = 0; i < 10; ++i) {
        auto* spray = Projectile::addSpray(system, zombies[i % zombies.size()]->getPosition());
        spray->burstsPerSecond = 0.0f;
        spray->endless = true;
        spray->life.value = 1e9f;
    }
    system->update();
    keepPickUps();
    keepShotsFlying();
}

void buildField() {
    clearWorld();
    player = new Character(Vector2(0.0f, -30.0f));
    Singleton<ObjectList>::getInstance()->add(player);
    if (camera == nullptr) {
        camera = new Camera();
    }
}

double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double threadSeconds() {
    return cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}

// Every thread of the process: the main one and the renderer's.
double processSeconds() {
    return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

void reportFps(benchmark::State& state) {
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

const char* const NO_WORLD = "no window or no res/ (run under a display from build/game)";

void BM_ClearAndSwap(benchmark::State& state) {
    if (!setUpField()) {
        state.SkipWithError(NO_WORLD);
        return;
    }
    double mainSeconds = 0.0;
    double allSeconds = 0.0;
    for (auto _ : state) {
        const double start = threadSeconds();
        const double allStart = processSeconds();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        glFinish();
        mainSeconds += threadSeconds() - start;
        allSeconds += processSeconds() - allStart;
    }
    state.counters["mainThreadMs"] = 1e3 * mainSeconds / static_cast<double>(state.iterations());
    state.counters["allThreadsMs"] = 1e3 * allSeconds / static_cast<double>(state.iterations());
    reportFps(state);
}
BENCHMARK(BM_ClearAndSwap)->UseRealTime()->Unit(benchmark::kMillisecond);

// Frames of the world that build makes; a fight keeps its shots and pick-ups
// topped up between frames, untimed.
void runFrames(benchmark::State& state, void (*build)(), bool fight) {
    if (!setUpField()) {
        state.SkipWithError(NO_WORLD);
        return;
    }
    build();
    // The main thread's own processor time: the world update alone, and all
    // of it (the update, the calls into the renderer and the swap, but not
    // the time spent waiting for the renderer's threads).
    double updateSeconds = 0.0;
    double mainSeconds = 0.0;
    double allSeconds = 0.0;
    for (auto _ : state) {
        const double start = threadSeconds();
        const double allStart = processSeconds();
        updateWorld(DT);
        const double updated = threadSeconds();
        renderFrame();
        glFinish();
        const double finished = threadSeconds();
        updateSeconds += updated - start;
        mainSeconds += finished - start;
        allSeconds += processSeconds() - allStart;
        if (fight) {
            state.PauseTiming();
            if (player->getHealth() < FIGHT_HEALTH) {
                buildFight();
            }
            keepPickUps();
            keepShotsFlying();
            state.ResumeTiming();
        }
    }
    state.counters["zombies"] = static_cast<double>(all<Zombie>().size());
    state.counters["pickUps"] = static_cast<double>(all<Powerup>().size());
    state.counters["shots"] = static_cast<double>(all<Projectile>().size());
    state.counters["particles"] =
        static_cast<double>(ParticleSystem::getInstance()->getParticles().size());
    const double frames = static_cast<double>(state.iterations());
    state.counters["updateMs"] = 1e3 * updateSeconds / frames;
    state.counters["mainThreadMs"] = 1e3 * mainSeconds / frames;
    state.counters["allThreadsMs"] = 1e3 * allSeconds / frames;
    reportFps(state);
    clearWorld();
}

void BM_FieldFrame(benchmark::State& state) {
    runFrames(state, buildField, false);
}
BENCHMARK(BM_FieldFrame)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_FightFrame(benchmark::State& state) {
    runFrames(state, buildFight, true);
}
BENCHMARK(BM_FightFrame)->UseRealTime()->Unit(benchmark::kMillisecond);

// The field alone, ready for an event; false (and the benchmark skipped)
// without a window or res/.
bool readyForEvent(benchmark::State& state) {
    if (!setUpField()) {
        state.SkipWithError(NO_WORLD);
        return false;
    }
    buildField();
    return true;
}

// One event of play as the game makes it: its objects created, handed to
// the object list and given their first update; taken out again untimed,
// without the side effects of a kill.
template <class Happen> void runEvent(benchmark::State& state, Happen happen) {
    ObjectList* list = Singleton<ObjectList>::getInstance();
    for (auto _ : state) {
        size_t before = list->getObjects().size();
        happen();
        auto it = list->getObjects().begin();
        std::advance(it, before);
        for (; it != list->getObjects().end(); ++it) {
            (*it)->update(DT);
        }
        state.PauseTiming();
        it = list->getObjects().begin();
        std::advance(it, before);
        for (; it != list->getObjects().end(); ++it) {
            (*it)->Destroyable::destroy(0.0f);
        }
        list->update(0.0f);
        state.ResumeTiming();
    }
    clearWorld();
}

// A pistol shot (one projectile) or a shotgun blast (five).
template <class Gun> void BM_Shot(benchmark::State& state) {
    if (!readyForEvent(state)) {
        return;
    }
    Gun gun(Vector2(0.0f, -30.0f));
    runEvent(state, [&gun] { gun.shoot(gun.getPosition(), 0.0f); });
}
BENCHMARK_TEMPLATE(BM_Shot, Pistol)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Shot, Shotgun)->Unit(benchmark::kMicrosecond);

// A zombie risen from a grave stone, with its model and skin, as the stone
// raises it.
void BM_ZombieRises(benchmark::State& state) {
    if (!readyForEvent(state)) {
        return;
    }
    runEvent(state, [] {
        Singleton<ObjectList>::getInstance()->add(new Zombie(Vector2(200.0f, 200.0f)));
    });
}
BENCHMARK(BM_ZombieRises)->Unit(benchmark::kMicrosecond);

// A clip left where a zombie fell.
void BM_PickUpAppears(benchmark::State& state) {
    if (!readyForEvent(state)) {
        return;
    }
    runEvent(state, [] {
        Singleton<ObjectList>::getInstance()->add(new PistolPowerup(Vector2(60.0f, -140.0f)));
    });
}
BENCHMARK(BM_PickUpAppears)->Unit(benchmark::kMicrosecond);

} // namespace
