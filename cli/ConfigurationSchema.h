// The JSON Schema (draft 2020-12) of the configuration document, which quarnlogcfg schema prints
// and which ships beside the program as quarnlogcfg.schema.json; built from that file.
#pragma once

extern const char* const kConfigurationSchema;
