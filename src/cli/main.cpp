#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/files.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::ios::sync_with_stdio(false);
  qm::platform::writeStandardStreamsAsBytes();
  const int status = qm::runCli(args, std::cout, std::cerr, true);
  std::cout.flush();
  return status;
}
