#include "assets/MD2Animation.h"

MD2Animation::MD2Animation(const std::vector<std::string>& frameNames) {
    std::string name;
    Md2Anim_t range{0, 0};
    for (size_t i = 0; i < frameNames.size(); ++i) {
        std::string cut = animationName(frameNames[i]);
        int32_t frame = static_cast<int32_t>(i);
        if (i == 0 || cut != name) {
            if (i > 0) {
                // A name that comes back later keeps its first run.
                animations.insert(std::make_pair(name, range));
            }
            name = cut;
            range = Md2Anim_t{frame, frame};
        } else {
            range.end = frame;
        }
    }
    // The last run, or for a model without frames one empty-named animation.
    animations.insert(std::make_pair(name, range));

    auto first = animations.begin();
    currentAnimation = &first->second;
    currentAnimationName = first->first;
}

std::string MD2Animation::animationName(const std::string& frameName) {
    size_t digit = frameName.find_first_of("0123456789");
    if (digit == std::string::npos) {
        return frameName;
    }
    if (frameName.size() - digit == 3 && frameName[digit] != '0') {
        return frameName.substr(0, digit + 1);
    }
    return frameName.substr(0, digit);
}

void MD2Animation::setAnimation(const std::string& name) {
    auto it = animations.find(name);
    if (it == animations.end()) {
        return;
    }
    currentAnimation = &it->second;
    currentAnimationName = name;
}

void MD2Animation::update(float dt) {
    int32_t start = currentAnimation->start;
    int32_t end = currentAnimation->end;
    if (currentFrame < start || currentFrame > end) {
        currentFrame = start;
    }
    lastDt = dt;
    if (interpolation >= 1.0f) {
        // The excess of the blend is dropped. The step wraps at end, not
        // after it: the last frame of a range is never reached.
        interpolation = 0.0f;
        currentFrame += 1;
        if (currentFrame >= end) {
            currentFrame = start;
        }
        nextFrame = currentFrame + 1;
        if (nextFrame >= end) {
            nextFrame = start;
        }
    }
}
