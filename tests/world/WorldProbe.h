#pragma once

#include "world/MovingObject.h"
#include "world/Vulnerable.h"

#include <functional>
#include <string>
#include <vector>

// A modelless moving object whose collision shape is set by the test and
// which records what happens to it.
class WorldProbe : public MovingObject, public Vulnerable {
public:
    WorldProbe(const std::string& name, const Vector2& position, float radius = 0.0f,
               bool solid = true, bool movable = false, std::vector<std::string>* journal = nullptr)
        : MovingObject(position, Vector3(1.0f, 1.0f, 1.0f), 0.0f, ""), Vulnerable(100.0f),
          name(name), radius(radius), solid(solid), movable(movable), journal(journal) {}
    ~WorldProbe() override { note("delete " + name); }

    void collide(Object* other) override {
        note("collide " + name + " with " + static_cast<WorldProbe*>(other)->name);
    }
    bool isSolid() override { return solid; }
    bool isMovable() override { return movable; }
    float getRadius() override { return radius; }

    void update(float dt) override {
        MovingObject::update(dt);
        note("update " + name);
        if (onUpdate) {
            onUpdate();
        }
    }
    void draw(Camera* /*camera*/) override { note("draw " + name); }

    void note(const std::string& line) {
        if (journal != nullptr) {
            journal->push_back(line);
        }
    }

    std::string name;
    float radius;
    bool solid;
    bool movable;
    std::vector<std::string>* journal;
    std::function<void()> onUpdate;
};
