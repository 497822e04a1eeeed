// The verbs that talk to a unit: ports, get, put, verify, reset.
#include "cli.h"

namespace kova::ctl {

std::vector<Verb> DeviceVerbs() {
  return {};
}

}  // namespace kova::ctl
