// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kova {

// Why a serial device would not open, in the terms a user can act on.
enum class OpenProblem { Missing, NoPermission, Busy, Other };

// Decides from what can be seen of the device: whether it exists, whether
// this user may read and write it, and whether the serial layer called the
// failure a permission problem (which it also does for a device in use).
OpenProblem ClassifyOpenProblem(bool exists, bool accessible, bool refusedAsPermission);

// The group whose members may use a device owned by `owner`: the owner,
// when that group may read and write the device and is not root; "" when
// joining a group would not help.
std::string GroupToJoin(const std::string& owner, bool groupCanReadWrite);

// The reason as the message shows it. `group` is the group to suggest
// joining (GroupToJoin), "" for none; `detail` the failing call's own words,
// used when nothing better is known.
std::string OpenProblemText(OpenProblem problem, const std::string& group,
                            const std::string& detail);

// Why an open device stopped working, from the failing call's own words
// (`detail`, which the text quotes in brackets). It has almost always been
// unplugged; a read that finds nothing where the port said there was
// something means that another program took the bytes first.
std::string LostDeviceText(const std::string& detail);

}  // namespace kova
