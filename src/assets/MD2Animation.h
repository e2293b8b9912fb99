#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One named animation: its first and last keyframe, both inclusive.
struct Md2Anim_t {
    int32_t start;
    int32_t end;
};

// The animations found in an MD2 model's frame names and the playback state
// that steps through them: which two keyframes are blended, and how far.
// Holds no OpenGL state, so playback is tested on its own.
class MD2Animation {
public:
    explicit MD2Animation(const std::vector<std::string>& frameNames);
    MD2Animation(const MD2Animation&) = delete;
    MD2Animation& operator=(const MD2Animation&) = delete;

    // The animation a frame belongs to: its name cut at the first digit,
    // keeping that digit when exactly three characters start there and it
    // is not '0' (death101 belongs to death1, stand01 to stand).
    static std::string animationName(const std::string& frameName);

    // Switches to a known animation; an unknown name changes nothing.
    void setAnimation(const std::string& name);

    // Steps to the next keyframe once the blend has reached 1; dt is kept
    // for the blend's advance after the next draw.
    void update(float dt);

    // The blend moves on by the last update's dt once per draw.
    void advance() { interpolation += lastDt; }

    const std::map<std::string, Md2Anim_t>& getAnimations() const { return animations; }
    const Md2Anim_t* getCurrentAnimation() const { return currentAnimation; }
    const std::string& getCurrentAnimationName() const { return currentAnimationName; }
    int32_t getCurrentFrame() const { return currentFrame; }
    int32_t getNextFrame() const { return nextFrame; }
    float getInterpolation() const { return interpolation; }
    float getLastDt() const { return lastDt; }

private:
    std::map<std::string, Md2Anim_t> animations;
    int32_t currentFrame = 0;
    int32_t nextFrame = 0;
    float interpolation = 0.0f;
    float lastDt = 0.0f;
    const Md2Anim_t* currentAnimation = nullptr;
    std::string currentAnimationName;
};
