#include "core/Logger.h"
#include "core/Singleton.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct ServiceA : Singleton<ServiceA> {
    int value = 1;
};
struct ServiceB : Singleton<ServiceB> {};

struct Fragile : Singleton<Fragile> {
    static int attempts;
    Fragile() {
        if (++attempts == 1) {
            throw std::runtime_error("first construction fails");
        }
    }
};
int Fragile::attempts = 0;

} // namespace

TEST(SingletonTest, OneInstancePerType) {
    ServiceA* a = Singleton<ServiceA>::getInstance();
    EXPECT_EQ(a, ServiceA::getInstance());
    EXPECT_NE(static_cast<void*>(a), static_cast<void*>(ServiceB::getInstance()));
}

TEST(SingletonTest, DeletingAnInstanceLetsTheNextCallCreateAFreshOne) {
    ServiceA* a = ServiceA::getInstance();
    a->value = 42;
    delete a;
    ServiceA* b = ServiceA::getInstance();
    EXPECT_EQ(b->value, 1);
}

TEST(SingletonTest, ThrowingConstructorLeavesNoInstance) {
    EXPECT_THROW(Fragile::getInstance(), std::runtime_error);
    Fragile* f = Fragile::getInstance();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Fragile::attempts, 2);
    EXPECT_EQ(f, Fragile::getInstance());
}

TEST(LoggerTest, WritesOneLinePerMessage) {
    testing::internal::CaptureStdout();
    Singleton<Logger>::getInstance()->log("Initialized SDL", 0);
    Logger::getInstance()->log("", 7);
    Logger::getInstance()->log("Set up OpenGL-screen", 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Initialized SDL\n\nSet up OpenGL-screen\n");
}
