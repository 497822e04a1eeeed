// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonValue>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/configuration.h"

namespace kova::ctl {

// A value in a JSON document that does not fit its field.
class FieldError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One field of the configuration record as the command line sees it: its name
// in JSON and in listings, the tab it sits on, and its JSON form. Zone fields
// take the zone index; the others ignore it.
struct ConfigField {
  std::string name;
  std::string tab;
  bool perZone = false;
  using Get = std::function<QJsonValue(const Configuration&, int zone)>;
  using Set = std::function<void(Configuration&, int zone, const QJsonValue&)>;
  Get get;
  // Throws FieldError with a message naming the path, the value and what
  // the field allows.
  Set set;
};

// Every field, in the order of the tabs; the zone fields once each.
const std::vector<ConfigField>& ConfigFields();

// A JSON value as one line of text ("1000", "ALL", "(none)").
std::string ValueText(const QJsonValue& value);

}  // namespace kova::ctl
