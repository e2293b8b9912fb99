// Looks at the game's models through the game's own loaders and lighting.
//
//   modelviewer [--dir GAMEDIR] MODEL
//       a window that plays the model's animations: Space or Tab for the
//       next animation, the arrow keys turn and zoom, Escape quits;
//   modelviewer [--dir GAMEDIR] --sheet OUT.png [--columns N] MODEL
//       a contact sheet: each animation in a row, frames across, seen 35
//       degrees from above;
//   modelviewer [--dir GAMEDIR] --scene OUT.png [--heading DEGREES]
//       the field as the game's camera sees it from behind the player;
//   modelviewer [--dir GAMEDIR] --pictures OUT.png
//       the water, grass, fence, shell and particle pictures as the game
//       draws them.
//
// MODEL is a base name under res/ (character, zombie, GraveStone, banana,
// weapon, shotgun). The viewer runs in GAMEDIR (default: the current
// folder), where the game finds res/.

#include "app/Renderer.h"
#include "app/Scene.h"
#include "app/StartUp.h"
#include "assets/MD2Model.h"
#include "assets/OBJModel.h"
#include "assets/Texture2D.h"
#include "assets/Texture2DManager.h"
#include "core/Heading.h"
#include "text_sound/Font.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <GL/glu.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int kWidth = 1024, kHeight = 768;

// How the game places each model: its lift above the ground and its scale
// (the model's third axis is up), and what it draws with it.
struct Placement {
    float lift = 0;
    float scale[3] = {1, 1, 1};
    const char* companion = nullptr; // drawn at the same place without the lift
};

Placement placementOf(const std::string& name) {
    Placement p;
    if (name == "character") {
        p.lift = 10;
        p.companion = "weapon";
    } else if (name == "zombie") {
        p.lift = 23;
    } else if (name == "GraveStone") {
        p.scale[0] = p.scale[1] = p.scale[2] = 0.75f;
    } else if (name == "banana") {
        p.scale[2] = 1.3f;
    } else if (name == "shotgun") {
        p.lift = -20;
    } else if (name == "weapon") {
        p.companion = "character"; // the gun is modelled in the figure's hand
    }
    return p;
}

// One model with its skin, loaded as a world object loads it.
struct Figure {
    std::string name;
    Placement placement;
    std::unique_ptr<MD2Model> model;
    std::unique_ptr<MD2Model> companion;
    Placement companionPlacement;

    explicit Figure(const std::string& base) : name(base), placement(placementOf(base)) {
        model = load(base);
        if (placement.companion) {
            companion = load(placement.companion);
            companionPlacement = placementOf(placement.companion);
        }
    }
    static std::unique_ptr<MD2Model> load(const std::string& base) {
        std::string path = "res/" + base;
        std::unique_ptr<MD2Model> m(new MD2Model(path + ".md2"));
        m->loadTexture(path + ".tga");
        m->setTexture(path + ".tga");
        return m;
    }

    // The game's object transform, then the blend of two keyframes.
    void draw(float x, float z, float heading, int frameA, int frameB, float t) const {
        drawOne(*model, x, z, heading, placement.lift, placement.scale, frameA, frameB, t);
        if (companion)
            drawOne(*companion, x, z, heading, companionPlacement.lift, companionPlacement.scale, 0,
                    0, 0);
    }
    static void drawOne(MD2Model& m, float x, float z, float heading, float lift,
                        const float* scale, int frameA, int frameB, float t) {
        glEnable(GL_DEPTH_TEST);
        glPushMatrix();
        glTranslatef(x, 0, z);
        glRotatef(-heading, 0, 1, 0);
        glTranslatef(0, lift, 0);
        glRotatef(90, 0, 1, 0);
        glRotatef(-90, 1, 0, 0);
        glScalef(scale[0], scale[1], scale[2]);
        glColor3f(1, 1, 1);
        glEnable(GL_LIGHTING);
        m.drawFrames(frameA, frameB, t);
        glPopMatrix();
    }

    // Animations in file order, each with its first and last frame.
    std::vector<std::pair<std::string, Md2Anim_t>> animations() const {
        std::vector<std::pair<std::string, Md2Anim_t>> list(
            model->getAnimation().getAnimations().begin(),
            model->getAnimation().getAnimations().end());
        std::sort(list.begin(), list.end(),
                  [](const auto& a, const auto& b) { return a.second.start < b.second.start; });
        return list;
    }
};

// The scenery the game draws first; drawing it also leaves the fence's
// material in force, which every figure drawn after it is lit with.
struct Scenery {
    OBJModel grass, fence;
    Scenery() {
        grass.load("res/grassPlane.obj", false);
        fence.load("res/fence.obj", false);
    }
    void drawGround() { grass.draw(); }
    void drawFenceRing() { ::drawFenceRing(fence); }
};

void openWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        throw std::runtime_error(std::string("no SDL: ") + SDL_GetError());
    if (!SDL_SetVideoMode(kWidth, kHeight, 0, SDL_OPENGL))
        throw std::runtime_error(std::string("no OpenGL window: ") + SDL_GetError());
    SDL_WM_SetCaption("Morrowfen model viewer", nullptr);
    setUpFixedOpenGLState();
    glDepthFunc(GL_LEQUAL);
    // The game's heads-up display leaves this test on for every frame after
    // the first, so textures are seen as the game shows them.
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.9f);
    glEnable(GL_TEXTURE_2D);
}

// An RGB picture being composed, top row first.
struct Picture {
    int w, h;
    std::vector<unsigned char> rgb;
    Picture(int w_, int h_) : w(w_), h(h_), rgb(size_t(w_) * h_ * 3, 0) {}

    // Copies the bottom-left w x h of the framebuffer to (x, y).
    void grab(int x, int y, int tw, int th) {
        std::vector<unsigned char> px(size_t(tw) * th * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, tw, th, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        for (int row = 0; row < th; ++row)
            std::copy_n(&px[size_t(th - 1 - row) * tw * 3], size_t(tw) * 3,
                        &rgb[(size_t(y + row) * w + x) * 3]);
    }
    void save(const std::string& path) const {
        if (!stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3))
            throw std::runtime_error("cannot write " + path);
    }
};

// Labels in the game's own font, drawn straight into a picture.
class Labeller {
public:
    explicit Labeller(int pixels) {
        if (FT_Init_FreeType(&library) != 0 ||
            FT_New_Face(library, "res/arialBlack.ttf", 0, &face) != 0)
            face = nullptr;
        else
            FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
    }
    ~Labeller() {
        if (face)
            FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    void write(Picture& p, int x, int baseline, const std::string& text) {
        if (!face)
            return;
        for (int pass = 0; pass < 2; ++pass) { // a dark shadow, then the text
            int pen = x + (pass ? 0 : 1);
            for (char c : text) {
                if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER) != 0)
                    continue;
                const FT_Bitmap& b = face->glyph->bitmap;
                int top = baseline + (pass ? 0 : 1) - face->glyph->bitmap_top;
                for (unsigned row = 0; row < b.rows; ++row) {
                    for (unsigned col = 0; col < b.width; ++col) {
                        int px = pen + face->glyph->bitmap_left + int(col), py = top + int(row);
                        if (px < 0 || py < 0 || px >= p.w || py >= p.h)
                            continue;
                        float a = b.buffer[row * unsigned(b.pitch) + col] / 255.0f;
                        unsigned char* d = &p.rgb[(size_t(py) * p.w + px) * 3];
                        for (int k = 0; k < 3; ++k)
                            d[k] = (unsigned char)(d[k] * (1 - a) + (pass ? 235 : 0) * a);
                    }
                }
                pen += int(face->glyph->advance.x >> 6);
            }
        }
    }

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

// Where frames first to last of a figure reach, in the world, at the origin
// and heading 0.
void worldBounds(const Figure& f, int first, int last, float lo[3], float hi[3]) {
    const MD2ModelData& d = f.model->getData();
    for (int k = 0; k < 3; ++k) {
        lo[k] = 1e9f;
        hi[k] = -1e9f;
    }
    for (int i = first; i <= last; ++i) {
        const MD2Frame& frame = d.getFrames()[size_t(i)];
        for (int v = 0; v < d.getHeader().numVertices; ++v) {
            const uint8_t* b = frame.vertices[v].v;
            float m[3] = {b[0] * frame.scale.x + frame.translate.x,
                          b[1] * frame.scale.y + frame.translate.y,
                          b[2] * frame.scale.z + frame.translate.z};
            // Model x forward, y left, z up become world -z, -x, +y.
            float w[3] = {-m[1] * f.placement.scale[1],
                          m[2] * f.placement.scale[2] + f.placement.lift,
                          -m[0] * f.placement.scale[0]};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], w[k]);
                hi[k] = std::max(hi[k], w[k]);
            }
        }
    }
}

void sheet(const std::string& out, const std::string& name, int columns) {
    openWindow();
    Figure figure(name);
    Scenery scenery;
    Labeller labels(14);
    const int tile = 256;
    auto anims = figure.animations();
    Picture picture(tile * columns, tile * int(anims.size()));

    for (size_t row = 0; row < anims.size(); ++row) {
        const Md2Anim_t& a = anims[row].second;
        // Each row framed on its own animation.
        float lo[3], hi[3];
        worldBounds(figure, a.start, a.end, lo, hi);
        float centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
        float radius =
            0.5f * std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                             (hi[2] - lo[2]) * (hi[2] - lo[2]));
        const float fov = 30.0f, distance = radius / std::sin(radians(fov / 2));
        // From in front and to the figure's right, 35 degrees down, as the
        // game's camera looks down on the field.
        const float elevation = radians(35), azimuth = radians(35);
        float eye[3] = {centre[0] + distance * std::cos(elevation) * std::sin(azimuth),
                        centre[1] + distance * std::sin(elevation),
                        centre[2] - distance * std::cos(elevation) * std::cos(azimuth)};
        // Playback shows start .. end - 1 (the last frame only closes the
        // loop); a one-frame animation shows its frame.
        int shown = std::max(1, a.end - a.start);
        for (int col = 0; col < columns; ++col) {
            float at = columns == 1 ? 0 : float(col) * float(shown - 1) / float(columns - 1);
            int frame = a.start + int(at);
            float t = at - std::floor(at);
            int next = std::min(frame + 1, a.end);
            glViewport(0, 0, tile, tile);
            glClearColor(0.16f, 0.17f, 0.2f, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            gluPerspective(fov, 1.0, 1.0, 1000.0);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0, 1, 0);
            glEnable(GL_DEPTH_TEST);
            glDisable(GL_FOG); // the sheet is close up; the scene shows the fog
            scenery.drawGround();
            // A fence segment behind the figure gives the scale (40 high).
            glPushMatrix();
            glTranslatef(-40, 0, 110);
            glRotatef(90, 0, 1, 0);
            scenery.fence.draw();
            glPopMatrix();
            figure.draw(0, 0, 0, frame, next, t);
            picture.grab(col * tile, int(row) * tile, tile, tile);
            char label[64];
            std::snprintf(label, sizeof label, "%s: %s %.1f", name.c_str(),
                          anims[row].first.c_str(), double(at));
            labels.write(picture, col * tile + 8, int(row) * tile + 20, label);
        }
    }
    picture.save(out);
}

// Clears the window and looks as the game's camera does: 45 degrees high,
// 35 degrees down, turned by yaw, the eye at (x, y, z).
void beginGameView(float grey, float yaw, float x, float y, float z) {
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(grey, grey, grey * 1.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    useGamePerspective();
    glRotatef(35, 1, 0, 0);
    glRotatef(yaw, 0, 1, 0);
    glTranslatef(-x, -y, -z);
}

// The field from behind the player, as the game draws its frame.
void scene(const std::string& out, float heading) {
    openWindow();
    Scenery scenery;
    Figure player("character"), zombie("zombie"), tree("banana"), stone("GraveStone"),
        pickup("shotgun");
    const float px = FIGURE_START.x, pz = FIGURE_START.y;
    // 90 units behind the figure, as the game's camera follows it.
    const Vector2 eye = FIGURE_START - headingDirection(heading) * 90.0f;

    beginGameView(0.0f, heading, eye.x, 120, eye.y);
    glEnable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    scenery.drawGround();
    scenery.drawFenceRing();

    // The objects in the game's list order: player, tree, grave stones, then
    // zombies and a pick-up as play brings them.
    player.draw(px, pz, heading, 0, 1, 0);
    tree.draw(TREE_PLACE.x, TREE_PLACE.y, 0, 3, 4, 0.5f);
    for (const GraveStonePlace& g : GRAVE_STONES)
        stone.draw(g.at.x, g.at.y, 0, 0, 0, 0);
    struct Walker {
        float x, z;
        int frame;
    };
    // Walking (0-8), running (9-15), striking (16-22) and dying (23-29).
    const Walker walkers[] = {
        {-55, -150, 2}, {40, -210, 11}, {10, -85, 18}, {110, -150, 28}, {-150, -260, 6}};
    for (const Walker& w : walkers) {
        float h = headingTowards(Vector2(px - w.x, pz - w.z)); // the zombie faces the player
        zombie.draw(w.x, w.z, h, w.frame, w.frame, 0);
    }
    pickup.draw(-35, -95, 30, 0, 0, 0);
    Picture picture(kWidth, kHeight);
    picture.grab(0, 0, kWidth, kHeight);
    picture.save(out);
}

// A textured quad in window pixels, texture coordinates 0 to repeat.
void quad(const char* texture, float x, float y, float w, float h, float repeat = 1) {
    Texture2D* t = Texture2DManager::getInstance()->load(texture);
    if (!t)
        return;
    t->bind();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(x, y);
    glTexCoord2f(repeat, 0);
    glVertex2f(x + w, y);
    glTexCoord2f(repeat, repeat);
    glVertex2f(x + w, y + h);
    glTexCoord2f(0, repeat);
    glVertex2f(x, y + h);
    glEnd();
}

// The pictures as the game shows them: the tiling ones twice over, the shell
// icons as the heads-up display lays them out, the particle spot as the
// particle system blends it.
void pictures(const std::string& out) {
    openWindow();
    const int w = 768, h = 256;
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.16f, 0.17f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    useWindowPixels();
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
    quad("res/water.tga", 0, 0, 256, 256, 2);
    quad("res/grass.tga", 256, 0, 256, 256, 2);
    quad("res/fencePost.tga", 520, 8, 32, 128);
    quad("res/fenceRail.tga", 560, 96, 200, 40, 1);
    quad("res/fenceRail.tga", 560, 48, 200, 40, 1);
    // Six rounds, 54 x 70 each, 33 apart, on a dark ground.
    for (int i = 0; i < 6; ++i)
        quad("res/shell.tga", 520.0f + 33 * i, 160, 54, 70);
    // Particles: additive, tinted red.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 0, 0, 1);
    for (int i = 0; i < 5; ++i)
        quad("res/Particle.tga", 580.0f + 34 * i, 12.0f + 6 * (i % 2), 24, 24);
    glDisable(GL_BLEND);
    Picture picture(w, h);
    picture.grab(0, 0, w, h);
    picture.save(out);
}

void interactive(const std::string& name) {
    openWindow();
    Figure figure(name);
    Scenery scenery;
    auto anims = figure.animations();
    size_t current = 0;
    figure.model->setAnimation(anims[current].first);
    float yaw = 145, distance = 120, last = SDL_GetTicks() / 1000.0f;
    std::printf("%s: %s\n", name.c_str(), anims[current].first.c_str());
    for (;;) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE))
                return;
            if (e.type == SDL_KEYDOWN &&
                (e.key.keysym.sym == SDLK_SPACE || e.key.keysym.sym == SDLK_TAB)) {
                current = (current + 1) % anims.size();
                figure.model->setAnimation(anims[current].first);
                std::printf("%s: %s\n", name.c_str(), anims[current].first.c_str());
            }
        }
        Uint8* keys = SDL_GetKeyState(nullptr);
        float now = SDL_GetTicks() / 1000.0f, dt = now - last;
        last = now;
        yaw += (keys[SDLK_LEFT] ? 60.0f : 0.0f) * dt - (keys[SDLK_RIGHT] ? 60.0f : 0.0f) * dt;
        distance *= 1.0f + (keys[SDLK_DOWN] ? dt : 0.0f) - (keys[SDLK_UP] ? dt : 0.0f);
        figure.model->update(dt * 5.0f); // five keyframes a second, as the game plays them

        float y = radians(yaw);
        beginGameView(0.17f, yaw, -std::sin(y) * distance, distance * 0.7f + 20,
                      std::cos(y) * distance);
        scenery.drawGround();
        glPushMatrix();
        glTranslatef(0, 0, 60);
        scenery.fence.draw();
        glPopMatrix();
        glEnable(GL_DEPTH_TEST);
        glPushMatrix();
        glTranslatef(0, figure.placement.lift, 0);
        glRotatef(90, 0, 1, 0);
        glRotatef(-90, 1, 0, 0);
        glScalef(figure.placement.scale[0], figure.placement.scale[1], figure.placement.scale[2]);
        glEnable(GL_LIGHTING);
        figure.model->draw();
        glPopMatrix();
        if (figure.companion)
            Figure::drawOne(*figure.companion, 0, 0, 0, 0, std::vector<float>{1, 1, 1}.data(), 0, 0,
                            0);
        SDL_GL_SwapBuffers();
    }
}

int usage(const char* self) {
    std::fprintf(stderr,
                 "usage: %s [--dir GAMEDIR] MODEL\n"
                 "       %s [--dir GAMEDIR] --sheet OUT.png [--columns N] MODEL\n"
                 "       %s [--dir GAMEDIR] --scene OUT.png [--heading DEGREES]\n"
                 "       %s [--dir GAMEDIR] --pictures OUT.png\n",
                 self, self, self, self);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string dir, sheetOut, sceneOut, picturesOut, model;
    int columns = 6;
    float heading = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--dir" && hasValue)
            dir = argv[++i];
        else if (a == "--sheet" && hasValue)
            sheetOut = argv[++i];
        else if (a == "--scene" && hasValue)
            sceneOut = argv[++i];
        else if (a == "--pictures" && hasValue)
            picturesOut = argv[++i];
        else if (a == "--columns" && hasValue)
            columns = std::max(1, std::min(8, std::atoi(argv[++i])));
        else if (a == "--heading" && hasValue)
            heading = float(std::atof(argv[++i]));
        else if (a[0] != '-' && model.empty())
            model = a;
        else
            return usage(argv[0]);
    }
    if (sceneOut.empty() && picturesOut.empty() && model.empty())
        return usage(argv[0]);
    if (!dir.empty() && chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "modelviewer: cannot enter %s\n", dir.c_str());
        return 1;
    }
    try {
        if (!picturesOut.empty())
            pictures(picturesOut);
        else if (!sceneOut.empty())
            scene(sceneOut, heading);
        else if (!sheetOut.empty())
            sheet(sheetOut, model, columns);
        else
            interactive(model);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "modelviewer: %s\n", e.what());
        SDL_Quit();
        return 1;
    }
    SDL_Quit();
    return 0;
}
