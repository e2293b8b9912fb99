// The trace's lists of zombies and pick-ups.

#include "support/GameDirGLTest.h"
#include "support/RandomDraws.h"

#include "app/Globals.h"
#include "app/Trace.h"
#include "combat/PistolPowerup.h"
#include "combat/ShotgunPowerup.h"
#include "world/Character.h"
#include "world/Zombie.h"

#include <string>

namespace {

using TraceGLTest = GameDirGLTest;

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST_F(TraceGLTest, ListsTheZombiesInTheirStatesAndThePickUpsOfEachKind) {
    player = nullptr; // nothing to chase: every zombie stays put
    EXPECT_TRUE(endsWith(Trace::formatFrame(1, 0.0, 0.0f, 1), ",\"zombies\":[],\"powerups\":[]}"));

    Character figure(Vector2(0.0f, 0.0f));
    auto zombie = [&](float x, float z) {
        auto* added = new Zombie(Vector2(x, z));
        objects()->add(added);
        return added;
    };
    zombie(10.0f, 20.0f);
    seedForNextDraw(0); // a change of mood
    zombie(-5.5f, 7.0f)->update(0.0f);
    zombie(1.0f, 2.0f)->collideWithCharacter(&figure);
    seedForNextDraw(4); // no pick-up
    zombie(3.0f, 4.0f)->damage(100.0f);
    objects()->add(new PistolPowerup(Vector2(6.0f, 7.0f)));
    objects()->add(new ShotgunPowerup(Vector2(8.0f, -9.25f)));

    std::string line = Trace::formatFrame(2, 0.0, 0.0f, 1);
    EXPECT_TRUE(endsWith(line, ",\"zombies\":["
                               "{\"x\":10,\"z\":20,\"health\":100,\"state\":\"walking\"},"
                               "{\"x\":-5.5,\"z\":7,\"health\":100,\"state\":\"running\"},"
                               "{\"x\":1,\"z\":2,\"health\":100,\"state\":\"attacking\"},"
                               "{\"x\":3,\"z\":4,\"health\":0,\"state\":\"dying\"}],"
                               "\"powerups\":["
                               "{\"x\":6,\"z\":7,\"kind\":\"pistol\"},"
                               "{\"x\":8,\"z\":-9.25,\"kind\":\"shotgun\"}]}"))
        << line;
    points = 0;
}
