#pragma once

// Test classes of one area share an executable: each file registers its class here, and
// TestMain.cpp runs the one named on the command line (CTest runs each class in its own process).
#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace TestRegistry {

using Factory = std::function<std::unique_ptr<QObject>()>;

inline std::map<std::string, Factory> &classes()
{
    static std::map<std::string, Factory> registered;
    return registered;
}

inline bool add(const char *name, Factory make)
{
    classes().emplace(name, std::move(make));
    return true;
}

} // namespace TestRegistry

#define DICTRAVA_TEST(Class)                                                                                 \
    namespace {                                                                                              \
    const bool registered##Class = TestRegistry::add(#Class, [] { return std::make_unique<Class>(); });      \
    }
