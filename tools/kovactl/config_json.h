// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <string>
#include <vector>

#include "image/configuration.h"

namespace kova::ctl {

// The configuration as one JSON object: each field under its record name,
// the ten zones as the array "Zones".
QJsonObject ToJson(const Configuration& cfg);

// Assigns each field the object names, directly (no click rule runs). An
// unknown name or a value of the wrong kind throws FieldError naming the
// field ("Zones[2].CloseFunc: expected A, B, C, D, ALL or null"); the
// configuration is then left as it was.
void ApplyJson(const QJsonObject& json, Configuration& cfg);

// Readable listing, grouped like the window's tabs, each value under its path.
std::string ShowText(const Configuration& cfg);

// One line per field that differs: "Zones[2].CloseRIC1: 1000 | 2000". The
// file name is not compared.
std::vector<std::string> Differences(const Configuration& a, const Configuration& b);

// JSON text as QJsonDocument writes it, with DEL and the C1 controls escaped
// too, so that a crafted file cannot drive the terminal through --json.
std::string TerminalSafeJson(const QByteArray& json);

}  // namespace kova::ctl
