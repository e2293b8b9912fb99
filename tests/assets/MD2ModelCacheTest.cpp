#include "assets/MD2ModelCache.h"
#include "assets/MD2Model.h"
#include "md2/MD2Writer.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

// A one-triangle model with a frame for each name.
MD2Writer model(const std::vector<std::string>& frameNames) {
    MD2Writer w;
    w.texCoords = {{0, 0}, {64, 0}, {0, 64}};
    w.triangles = {{{0, 1, 2}, {0, 1, 2}}};
    for (const std::string& name : frameNames) {
        MD2Writer::Frame frame;
        frame.name = name;
        frame.vertices = {{{0, 0, 0}, 0}, {{9, 0, 0}, 1}, {{0, 9, 0}, 2}};
        w.frames.push_back(frame);
    }
    return w;
}

std::string refusal(const std::string& fileName) {
    try {
        MD2ModelCache::load(fileName);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(MD2ModelCacheTest, FiguresShareTheDataButEachPlaysItsOwnAnimation) {
    const std::string file = makeTestScratchDir("md2_cache") + "/figure.md2";
    ASSERT_TRUE(model({"walk01", "walk02", "walk03", "run01", "run02", "run03"}).write(file));
    MD2Model first(file);
    MD2Model second(file);
    EXPECT_EQ(&first.getData(), &second.getData());
    first.setAnimation("walk");
    second.setAnimation("run");
    first.update(0.0f);
    second.update(0.0f);
    EXPECT_EQ(first.getAnimation().getCurrentAnimationName(), "walk");
    EXPECT_EQ(first.getAnimation().getCurrentFrame(), 0);
    EXPECT_EQ(second.getAnimation().getCurrentAnimationName(), "run");
    EXPECT_EQ(second.getAnimation().getCurrentFrame(), 3);
}

TEST(MD2ModelCacheTest, AFileChangedGoneOrBrokenSinceItWasReadIsSeenAsItIsNow) {
    const std::string dir = makeTestScratchDir("md2_cache");
    const std::string file = dir + "/figure.md2";
    ASSERT_TRUE(model({"stand01"}).write(file));
    auto before = MD2ModelCache::load(file);
    ASSERT_EQ(before->getFrames().size(), 1u);

    ASSERT_TRUE(model({"stand01", "stand02"}).write(file));
    auto changed = MD2ModelCache::load(file);
    EXPECT_EQ(changed->getFrames().size(), 2u);
    EXPECT_EQ(before->getFrames().size(), 1u) << "a figure made earlier keeps what it had";

    writeFile(file, "IDP3 and nothing more");
    EXPECT_EQ(refusal(file), "Bad file ident");
    std::filesystem::remove(file);
    EXPECT_EQ(refusal(file), "Couldn't open file");
    EXPECT_EQ(refusal(file), "Couldn't open file") << "a failure is not kept";

    ASSERT_TRUE(model({"stand01", "stand02", "stand03"}).write(file));
    EXPECT_EQ(MD2ModelCache::load(file)->getFrames().size(), 3u);
}
