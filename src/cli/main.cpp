#include "cli/cli.h"

#include "platform/runtime_error.h"

#include <iostream>

int main(int argc, char** argv) {
    const int status =
        orbistan::runCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    orbistan::quietStandardErrorForExit();
    return status;
}
