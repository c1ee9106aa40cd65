// urc-sim: the emulated URC and the bench commands that drive it.
#include "platform/urcsim/commands.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return urcsim::runCommand(args);
}
