#include "link/open_problem.h"

namespace kova {

OpenProblem ClassifyOpenProblem(bool exists, bool accessible, bool refusedAsPermission) {
  if (!exists) return OpenProblem::Missing;
  if (!accessible) return OpenProblem::NoPermission;
  if (refusedAsPermission) return OpenProblem::Busy;
  return OpenProblem::Other;
}

std::string OpenProblemText(OpenProblem problem, const std::string& group,
                            const std::string& detail) {
  switch (problem) {
    case OpenProblem::Missing:
      return "the device does not exist (is the adapter plugged in?)";
    case OpenProblem::NoPermission: {
      const std::string who =
          group.empty() ? "the group that owns the device" : "the " + group + " group";
      return "this user may not use the device; join " + who + " (for example: sudo usermod -aG " +
             (group.empty() ? "dialout" : group) + " $USER) and log in again";
    }
    case OpenProblem::Busy:
      return "the device is in use by another program";
    case OpenProblem::Other:
      break;
  }
  return detail.empty() ? "the device refused to open" : detail;
}

}  // namespace kova
