// tavorin-browse's outputs: the tree as text or as JSON on stdout, and with
// -v the setting it runs in on stderr. One file each.
#pragma once

#include "browse_model.h"

void PrintTree(const std::vector<Computer>& computers);            // browse_text.cpp
void PrintJson(const std::vector<Computer>& computers, int flags); // browse_json.cpp
void PrintSetting(const Options& o);                               // browse_setting.cpp
