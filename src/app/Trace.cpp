#include "app/Trace.h"

#include "app/BestScore.h"
#include "app/Globals.h"
#include "app/Pause.h"
#include "app/Round.h"
#include "combat/Powerup.h"
#include "combat/ShotgunPowerup.h"
#include "core/Camera.h"
#include "physics/ParticleSystem.h"
#include "world/Character.h"
#include "world/Object.h"
#include "world/ObjectList.h"
#include "world/Zombie.h"

#include <cxxabi.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <typeinfo>

namespace {

// Taken while the program loads: "seconds since the process started".
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

double secondsSinceStart() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - processStart).count();
}

// JSON has no infinities or NaNs; such a value is written as null.
std::string number(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string flag(bool value) {
    return value ? "true" : "false";
}

std::string className(const Object& object) {
    const char* mangled = typeid(object).name();
    int status = 0;
    char* readable = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && readable != nullptr) ? readable : mangled;
    std::free(readable);
    return name;
}

const char* zombieState(const Zombie& zombie) {
    if (zombie.isMarkedForDestruction()) {
        return "dying";
    }
    if (zombie.isAttacking()) {
        return "attacking";
    }
    return zombie.isRunning() ? "running" : "walking";
}

std::string groundPoint(Object& object) {
    return "{\"x\":" + number(object.getPosition().x) + ",\"z\":" + number(object.getPosition().y);
}

// The zombies and the pick-ups in list order, oldest first.
std::string zombiesAndPowerups(const std::list<Object*>& objects) {
    std::string zombies, powerups;
    for (Object* object : objects) {
        if (auto* zombie = dynamic_cast<Zombie*>(object)) {
            zombies += (zombies.empty() ? "" : ",") + groundPoint(*zombie);
            zombies += ",\"health\":" + number(zombie->getHealth());
            zombies += ",\"state\":\"" + std::string(zombieState(*zombie)) + "\"}";
        } else if (dynamic_cast<Powerup*>(object) != nullptr) {
            const char* kind = dynamic_cast<ShotgunPowerup*>(object) ? "shotgun" : "pistol";
            powerups += (powerups.empty() ? "" : ",") + groundPoint(*object);
            powerups += ",\"kind\":\"" + std::string(kind) + "\"}";
        }
    }
    return ",\"zombies\":[" + zombies + "],\"powerups\":[" + powerups + "]";
}

} // namespace

Trace* Trace::open() {
    const char* path = std::getenv("MORROWFEN_TRACE");
    if (path == nullptr || *path == '\0') {
        return nullptr;
    }
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        std::fprintf(stderr, "Cannot write the trace to %s: %s\n", path, std::strerror(errno));
        return nullptr;
    }
    return new Trace(file);
}

Trace::Trace(std::FILE* file) : file(file), frames(0) {}

Trace::~Trace() {
    std::fclose(file);
}

void Trace::writeFrame(float dt, int steps) {
    frames += 1;
    double t = secondsSinceStart();
    std::string line = formatFrame(frames, t, dt, steps);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), file);
    // A reader sees each frame as soon as it is drawn; one write a frame
    // costs next to nothing beside the frame itself.
    std::fflush(file);
}

std::string Trace::formatFrame(unsigned long frame, double t, float dt, int steps) {
    std::string s = "{\"frame\":" + std::to_string(frame);
    s += ",\"t\":" + number(t);
    s += ",\"dt\":" + number(dt);
    s += ",\"steps\":" + std::to_string(steps);
    s += ",\"fps\":" + number(fps);
    if (player != nullptr) {
        s += ",\"player\":{\"x\":" + number(player->getPosition().x);
        s += ",\"z\":" + number(player->getPosition().y);
        s += ",\"heading\":" + number(player->getHeading());
        s += ",\"health\":" + number(player->getHealth());
        s += ",\"maxHealth\":" + number(player->getMaxHealth()) + "}";
    } else {
        s += ",\"player\":null";
    }
    if (camera != nullptr) {
        s += ",\"camera\":{\"x\":" + number(camera->getPosition().x);
        s += ",\"z\":" + number(camera->getPosition().y);
        s += ",\"yaw\":" + number(camera->getYaw());
        s += ",\"pitch\":" + number(camera->getPitch()) + "}";
    } else {
        s += ",\"camera\":null";
    }
    if (player != nullptr) {
        s += ",\"weapon\":\"" + player->getWeaponName() + "\"";
        s += ",\"rounds\":" + std::to_string(player->getRounds());
        s += ",\"clips\":" + std::to_string(player->getClips());
    } else {
        s += ",\"weapon\":null,\"rounds\":null,\"clips\":null";
    }
    s += ",\"points\":" + std::to_string(points);
    s += ",\"round\":" + std::to_string(roundNumber);
    s += std::string(",\"state\":\"") + (roundOver ? "over" : paused ? "paused" : "playing") + "\"";
    s += ",\"best\":" + std::to_string(bestScore().get());
    s += ",\"flags\":{\"wireframe\":" + flag(wireframe);
    s += ",\"showFps\":" + flag(showFps);
    s += ",\"magFilterNearest\":" + flag(magFilterNearest);
    s += ",\"minFilterNearest\":" + flag(minFilterNearest);
    s += ",\"viewCulling\":" + flag(viewCulling) + "}";

    const std::list<Object*>& objects = Singleton<ObjectList>::getInstance()->getObjects();
    std::map<std::string, int> counts;
    for (const Object* object : objects) {
        counts[className(*object)] += 1;
    }
    s += ",\"objects\":{";
    bool first = true;
    for (const auto& entry : counts) {
        s += (first ? "\"" : ",\"") + entry.first + "\":" + std::to_string(entry.second);
        first = false;
    }
    s += "}";
    s += ",\"particles\":" +
         std::to_string(
             Singleton<Quillmere::Physics::ParticleSystem>::getInstance()->getParticles().size());
    s += zombiesAndPowerups(objects);
    s += "}";
    return s;
}
