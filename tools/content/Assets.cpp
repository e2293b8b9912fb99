#include "Assets.h"

#include "Audio.h"
#include "Figure.h"
#include "Icon.h"
#include "Scenery.h"
#include "Sounds.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>

namespace content {

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    // Written beside the target and renamed, so a reader never sees half.
    std::string tmp = path + ".part";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + tmp + ": " + std::strerror(errno));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

std::vector<uint8_t> readFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

std::vector<uint8_t> textBytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

namespace {

void makeDirs(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            std::string part = dir.substr(0, i);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                throw std::runtime_error("cannot make " + part + ": " + std::strerror(errno));
        }
    }
}

void writeFigure(const std::string& dir, const std::string& name, const Figure& f) {
    writeFile(dir + "/" + name + ".md2",
              writeMd2(f.mesh, f.skin.width(), f.skin.height(), f.frames, "res/" + name + ".tga"));
    writeFile(dir + "/" + name + ".tga", f.skin.tga(f.skinAlpha));
}

} // namespace

void writeAll(const Options& o) {
    makeDirs(o.outDir);
    struct Job {
        const char* name;
        std::function<void()> run;
    };
    const std::string& d = o.outDir;
    const Job jobs[] = {
        {"character", [&] { writeFigure(d, "character", makeCharacter()); }},
        {"zombie", [&] { writeFigure(d, "zombie", makeZombie()); }},
        {"GraveStone", [&] { writeFigure(d, "GraveStone", makeGraveStone()); }},
        {"banana", [&] { writeFigure(d, "banana", makeBanana()); }},
        {"weapon", [&] { writeFigure(d, "weapon", makeWeapon()); }},
        {"shotgun", [&] { writeFigure(d, "shotgun", makeShotgun()); }},
        {"grassPlane",
         [&] {
             SceneryModel m = makeGrassPlane();
             writeFile(d + "/grassPlane.obj", textBytes(m.obj));
             writeFile(d + "/grassPlane.mtl", textBytes(m.mtl));
             writeFile(d + "/grass.tga", makeGrassTexture().tga(false));
         }},
        {"fence",
         [&] {
             SceneryModel m = makeFence();
             writeFile(d + "/fence.obj", textBytes(m.obj));
             writeFile(d + "/fence.mtl", textBytes(m.mtl));
             writeFile(d + "/fencePost.tga", makeFencePostTexture().tga(false));
             writeFile(d + "/fenceRail.tga", makeFenceRailTexture().tga(false));
         }},
        {"water", [&] { writeFile(d + "/water.tga", makeWaterTexture().tga(false)); }},
        {"Particle", [&] { writeFile(d + "/Particle.tga", makeParticleTexture().tga(true)); }},
        {"shell", [&] { writeFile(d + "/shell.tga", makeShellTexture().tga(true)); }},
        {"gun_shotgun2",
         [&] { writeFile(d + "/gun_shotgun2.WAV", wavBytes(makeShotgunBlast(), 1, kSampleRate)); }},
        {"gun_pump_action",
         [&] {
             writeFile(d + "/gun_pump_action.WAV", wavBytes(makePumpAction(), 1, kSampleRate));
         }},
        {"Ravonel",
         [&] {
             std::vector<float> l, r;
             makeMusic(l, r);
             writeFile(d + "/Ravonel.ogg", oggVorbisBytes(l, r, kSampleRate, 0.3f, 0x4D4F5246));
         }},
    };
    auto wanted = [&](const std::string& name) {
        return o.only.empty() || name.find(o.only) != std::string::npos;
    };
    for (const Job& job : jobs)
        if (wanted(job.name))
            job.run();
    // The icon is for the desktop, not the game, so it lives outside res/.
    if (!o.icon.empty() && wanted("icon")) {
        size_t slash = o.icon.rfind('/');
        if (slash != std::string::npos && slash > 0)
            makeDirs(o.icon.substr(0, slash));
        writeFile(o.icon, makeIcon(128).png());
    }
    if (!o.font.empty())
        writeFile(d + "/arialBlack.ttf", readFile(o.font));
    if (!o.fontLicence.empty())
        writeFile(d + "/arialBlack.LICENSE", readFile(o.fontLicence));
}

} // namespace content
