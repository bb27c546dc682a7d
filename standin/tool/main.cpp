#include <iostream>

#include "standin/tool/commands.h"

int main(int argc, char** argv) {
  return vel::standin::runTool(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                               std::cerr);
}
