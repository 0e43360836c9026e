#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/path_text.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = qm::platform::programArguments(argc, argv);
  std::ios::sync_with_stdio(false);
  qm::platform::writeStandardStreamsAsBytes();
  const int status = qm::runCli(args, std::cout, std::cerr, true);
  std::cout.flush();
  return status;
}
