#pragma once
// A Qt application for the length of a test, so that the clock's waits have an event loop to
// sleep in.

#include <QCoreApplication>

namespace dilato::test {

struct EventLoop {
    int argc = 1;
    char name[8] = "test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

} // namespace dilato::test
