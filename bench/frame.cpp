// One world update and one rendered frame of the field, as the game runs
// them, beside a bare clear-and-swap loop measured in the same run: how close
// the frame comes to what the renderer allows at all.
// Run under a display from the game's folder (it reads res/):
//   cd build/game && xvfb-run -s '-screen 0 1024x768x24 -noreset' ../bench/bench_frame

#include "BenchWindow.h"
#include "app/Globals.h"
#include "app/MainLoop.h"
#include "app/Renderer.h"
#include "app/Scene.h"
#include "app/StartUp.h"
#include "assets/MD2Model.h"
#include "assets/OBJModel.h"
#include "combat/Pistol.h"
#include "combat/Shotgun.h"
#include "core/ClockHighDef.h"
#include "world/MovingObject.h"
#include "world/ObjectList.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

// A zombie-sized figure walking a circle around the tree.
class Walker : public MovingObject {
public:
    Walker(float angle, float radius)
        : MovingObject(Vector2(), Vector3(1.0f, 1.0f, 1.0f), 23.0f, "res/zombie"), angle(angle),
          radius(radius) {
        model->setAnimation("crwalk");
        place();
    }
    void collide(Object*) override {}
    bool isMovable() override { return true; }
    float getRadius() override { return 16.0f; }
    void update(float dt) override {
        angle += dt * 0.3f;
        Vector2 target(std::sin(angle) * radius, std::cos(angle) * radius);
        velocity = (target - position) * (1.0f / (dt > 0.0f ? dt : 1.0f));
        setHeading(angle * 57.29578f + 90.0f);
        MovingObject::update(dt);
    }

private:
    void place() { position = Vector2(std::sin(angle) * radius, std::cos(angle) * radius); }
    float angle;
    float radius;
};

// A shot in flight: a short bright streak, wrapping round the field.
class Streak : public MovingObject {
public:
    explicit Streak(int i)
        : MovingObject(Vector2(-300.0f + 20.0f * i, -350.0f + 23.0f * i), Vector3(1.0f, 1.0f, 1.0f),
                       0.0f, "") {
        velocity = Vector2(std::sin(i * 0.7f) * 200.0f, std::cos(i * 0.7f) * 200.0f);
    }
    void collide(Object*) override {}
    bool isSolid() override { return false; }
    float getRadius() override { return 0.1f; }
    void update(float dt) override {
        MovingObject::update(dt);
        if (std::fabs(position.x) > 390.0f || std::fabs(position.y) > 390.0f) {
            position = Vector2(0.0f, 0.0f);
        }
    }
    void draw(Camera*) override {
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1.0f, 0.9f, 0.4f);
        glBegin(GL_LINES);
        glVertex3f(position.x, 30.0f, position.y);
        glVertex3f(position.x - velocity.x * 0.02f, 30.0f, position.y - velocity.y * 0.02f);
        glEnd();
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_LIGHTING);
    }
};

bool setUpWorld() {
    static bool ready = false;
    static bool tried = false;
    if (!tried) {
        tried = true;
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
        createScene();
        ObjectList* list = Singleton<ObjectList>::getInstance();
        for (int i = 0; i < 4; ++i) {
            list->add(new Walker(i * 1.5708f, 120.0f + 20.0f * i));
        }
        for (int i = 0; i < 30; ++i) {
            list->add(new Streak(i));
        }
        Quillmere::setClock(new Quillmere::ClockHighDef());
        water.loadTexture();
        ready = true;
    }
    return ready;
}

void reportFps(benchmark::State& state) {
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ClearAndSwap(benchmark::State& state) {
    if (!setUpWorld()) {
        state.SkipWithError("no window or no res/ (run under a display from build/game)");
        return;
    }
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        glFinish();
    }
    reportFps(state);
}
BENCHMARK(BM_ClearAndSwap)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_WorldFrame(benchmark::State& state) {
    if (!setUpWorld()) {
        state.SkipWithError("no window or no res/ (run under a display from build/game)");
        return;
    }
    for (auto _ : state) {
        updateWorld(1.0f / 60.0f);
        renderFrame();
        glFinish();
    }
    state.counters["objects"] =
        static_cast<double>(Singleton<ObjectList>::getInstance()->getObjects().size());
    reportFps(state);
}
BENCHMARK(BM_WorldFrame)->UseRealTime()->Unit(benchmark::kMillisecond);

// One shot as the game makes it: the projectiles created, handed to the
// object list and given their first update; taken out again untimed.
template <class Gun> void BM_Shot(benchmark::State& state) {
    if (!setUpWorld()) {
        state.SkipWithError("no window or no res/ (run under a display from build/game)");
        return;
    }
    ObjectList* list = Singleton<ObjectList>::getInstance();
    Gun gun(Vector2(0.0f, -30.0f));
    for (auto _ : state) {
        size_t before = list->getObjects().size();
        gun.shoot(gun.getPosition(), 0.0f);
        auto it = list->getObjects().begin();
        std::advance(it, before);
        for (; it != list->getObjects().end(); ++it) {
            (*it)->update(1.0f / 60.0f);
        }
        state.PauseTiming();
        it = list->getObjects().begin();
        std::advance(it, before);
        for (; it != list->getObjects().end(); ++it) {
            (*it)->destroy(0.0f);
        }
        list->update(0.0f);
        state.ResumeTiming();
    }
}
BENCHMARK_TEMPLATE(BM_Shot, Pistol)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Shot, Shotgun)->Unit(benchmark::kMicrosecond);

} // namespace
