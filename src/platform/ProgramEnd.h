#pragma once
// "The program ends": the one way out of the middle of the logic. EndProgram throws a
// ProgramEnd that unwinds to main, which exits with its code. ProgramEnd is deliberately not
// a std::exception, so the failure traps of the procedures (catch std::exception) let it
// pass. Nothing else in the program calls exit().

#include <string>

namespace dilato {

struct ProgramEnd {
    int exitCode = 0;
    std::string reason;
};

[[noreturn]] inline void EndProgram(int exitCode, std::string reason) {
    throw ProgramEnd{exitCode, std::move(reason)};
}

} // namespace dilato
