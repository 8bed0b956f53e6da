// tavorin-browse's outputs: the tree as text or as JSON on stdout, and with
// -v the setting it runs in on stderr. One file each.
#pragma once

#include "browse_model.h"

// Writes text to stdout: in UTF-16 to a console (Windows), else as it is.
// codePage names the text's encoding: kAnsiText, the system's 8-bit text,
// or 65001 for UTF-8. False once any of the output is lost.
enum : unsigned { kAnsiText = 0, kUtf8Text = 65001 };
bool WriteOut(const std::string& text, unsigned codePage); // browse_text.cpp
// What was written reached its file or pipe; else throws BrowseError
// (kExitNotWritten), with no text when the reader closed the pipe.
void EndOutput(bool bWritten); // browse_text.cpp

// False once output is lost.
bool PrintTree(const std::vector<Computer>& computers);            // browse_text.cpp
bool PrintJson(const std::vector<Computer>& computers, int flags); // browse_json.cpp
void PrintSetting(const Options& o);                               // browse_setting.cpp

// The folder the stand-in storage library serves, and what is in it: the
// first thing to doubt when nothing is listed.
struct StoreFolder {
    std::string path;  // as the user would type it; empty when unknown
    std::string from;  // "from KELVAST_STORE" or "beside it; KELVAST_STORE unset"
    std::string found; // "missing", "a file, not a folder", "empty", "holds C, 3"...
    std::string hint;  // what to try; empty when it holds device folders
};
StoreFolder InspectStore(); // browse_setting.cpp
