// tembric-db: inspect, back up and prepare Tembric libraries from the command line.
#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
  tembric::tool::Args args(argv + 1, argv + argc);
  return tembric::tool::Run(args, std::cout, std::cerr);
}
