// SPDX-License-Identifier: MIT
#pragma once

// The simulated units' whole state as JSON, so that a run can be inspected, edited by hand and
// resumed. Texts are UTF-8 strings; a text field whose bytes are not plain GBK up to a zero and
// zeros after it (a tail left over from a longer text, say) is kept as {"hex": "..."} so that it
// travels back byte for byte. Floats that JSON cannot hold (infinities, NaN) are kept as
// {"f32": "7f800000"}, their bit pattern. Fields keep the order of their records.

#include "sim/SimUnit.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace rv::sim {

nlohmann::ordered_json StateToJson(const std::vector<SimUnit>& units);

// Nothing, with a message in error, when the document is not a state of this shape.
std::optional<std::vector<SimUnit>> StateFromJson(const nlohmann::ordered_json& state, std::string& error);

// Writes a temporary file next to path and renames it over path, so that a reader never sees
// half a state. False with a message in error on failure.
bool SaveStateFile(const std::string& path, const std::vector<SimUnit>& units, std::string& error);

std::optional<std::vector<SimUnit>> LoadStateFile(const std::string& path, std::string& error);

} // namespace rv::sim
