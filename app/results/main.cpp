// dilato-results: import, query, export and verify the results store (see ResultsUsage()).

#include "ResultsTool.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return dilato::results_tool::RunResultsTool(std::vector<std::string>(argv + 1, argv + argc),
                                                std::cout, std::cerr);
}
