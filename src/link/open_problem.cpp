// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/open_problem.h"

#include <cerrno>
#include <cstring>

namespace kova {

OpenProblem ClassifyOpenProblem(bool exists, bool accessible, bool refusedAsPermission) {
  if (!exists) return OpenProblem::Missing;
  if (!accessible) return OpenProblem::NoPermission;
  if (refusedAsPermission) return OpenProblem::Busy;
  return OpenProblem::Other;
}

std::string GroupToJoin(const std::string& owner, bool groupCanReadWrite) {
  if (!groupCanReadWrite || owner == "root") return {};
  return owner;
}

std::string OpenProblemText(OpenProblem problem, const std::string& group,
                            const std::string& detail) {
  switch (problem) {
    case OpenProblem::Missing:
      return "the device does not exist (is the adapter plugged in?)";
    case OpenProblem::NoPermission:
      if (group.empty()) {
        return "this user may not use the device; ask an administrator to give it to the "
               "dialout group (for example with a udev rule), then join that group (sudo "
               "usermod -aG dialout $USER) and log in again";
      }
      return "this user may not use the device; join the " + group +
             " group (for example: sudo usermod -aG " + group + " $USER) and log in again";
    case OpenProblem::Busy:
      return "the device is in use by another program";
    case OpenProblem::Other:
      break;
  }
  return detail.empty() ? "the device refused to open" : detail;
}

std::string LostDeviceText(const std::string& detail) {
  if (detail == std::strerror(EAGAIN)) {
    return "another program is reading from the same device (" + detail + ")";
  }
  return "the device stopped working or was unplugged (" + detail + ")";
}

}  // namespace kova
