#pragma once

#include "assets/MD2Animation.h"
#include "assets/MD2ModelData.h"
#include "assets/Model.h"
#include "core/Updateable.h"

#include <map>
#include <memory>
#include <string>

class Texture;

// An animated MD2 figure drawn as a blend of two keyframes. The file's data
// is shared with every other figure made from the same file; the animation
// is each figure's own. Skins come from the texture cache, which keeps them.
class MD2Model final : public Model, public Updateable {
public:
    // Throws std::runtime_error when the file cannot be opened or is not a
    // sound MD2 file.
    explicit MD2Model(const std::string& fileName);
    MD2Model(const MD2Model&) = delete;
    MD2Model& operator=(const MD2Model&) = delete;

    // Adds the cache's texture under its file name; false when the cache has
    // none for it.
    bool loadTexture(const std::string& fileName);
    // The skin added under that name, or none.
    void setTexture(const std::string& fileName);

    void setAnimation(const std::string& name) { animation.setAnimation(name); }
    void update(float dt) override { animation.update(dt); }

    void draw() override;
    void drawFrame(int frame) { drawFrames(frame, frame, 0.0f); }
    // Draws the blend of two keyframes; a frame out of range draws nothing.
    void drawFrames(int frameA, int frameB, float t);

    const MD2ModelData& getData() const { return *data; }
    const MD2Animation& getAnimation() const { return animation; }
    Texture* getCurrentSkin() const { return currentSkin; }

private:
    static std::vector<std::string> frameNames(const MD2ModelData& data);

    std::shared_ptr<const MD2ModelData> data;
    Texture* currentSkin = nullptr;
    std::map<std::string, Texture*> skins;
    MD2Animation animation;
};
