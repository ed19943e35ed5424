// JSON as the command line reads it from files that anyone may have written: nlohmann's parser
// with the limits that keep a hostile document from crashing the program or being read in a
// way its author did not mean.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

// Deeper than any document of the configuration needs, shallow enough for every check below.
constexpr int kMaxJsonDepth = 16;

// "" when strText is one JSON value, nested at most kMaxJsonDepth deep, with no field given
// twice in one object (which a reader would take to mean either). Otherwise why not, with the
// place of the fault as a JSON pointer where there is one ("/subsystems/2: ...").
std::string ParseJson(const std::string& strText, nlohmann::json& root);

// A field's place below its parent's ("/subsystems/2" and "level" give "/subsystems/2/level").
std::string JsonPlace(const std::string& strParent, const std::string& strField);
