// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <string>

#include "image/configuration.h"

namespace kova::ctl {

// Values for the configuration's JSON form as people and scripts write them:
// a number where a text field (a RIC, a time) is kept as a string, true or
// false for a check box, a rate or a spacing as a string of digits. Only
// what is unambiguous is changed: each value of `given` is matched against
// the type the same key has in `current` (the form 'show --json' prints).
QJsonObject Lenient(const QJsonObject& given, const QJsonObject& current);

// Sets one field from "PATH=VALUE", PATH being a key path as 'show --json'
// prints it ("BaudKova", "Zones[0].CloseRIC1", "Ver[2]") and VALUE a JSON
// value or plain text. Throws FieldError naming the path and what it takes;
// the configuration is then left as it was. Returns the path.
std::string ApplySetting(const std::string& assignment, Configuration& cfg);

// The value at a key path of a configuration's JSON form; undefined when the
// path names nothing.
QJsonValue ValueAt(const QJsonObject& json, const std::string& path);

}  // namespace kova::ctl
