// tavorin-browse's command line, and the one error by which any part of the
// tool ends it with its exit status.
#pragma once

#include "tavorin.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

enum { kExitListed = 0, kExitNothing = 1, kExitUsage = 2, kExitNotWritten = 3 };

extern const char kUsage[];

// The text goes to stderr, followed by the usage when the status is
// kExitUsage.
class BrowseError {
  public:
    BrowseError(std::string text, int exitCode) : m_text(std::move(text)), m_exitCode(exitCode) {}
    const std::string& Text() const { return m_text; }
    int ExitCode() const { return m_exitCode; }

  private:
    std::string m_text;
    int m_exitCode;
};

// A caller's request; what is absent is walked in full.
struct Options {
    int flags = LF_LOCAL_DRIVES | LF_NETWORK;
    std::optional<std::vector<std::string>> failed;
    std::optional<std::string> device, area, type;
    std::string pattern = "*"; // with the "*" the dialog appends
    bool json = false, verbose = false, help = false;
};

// Throws BrowseError with kExitUsage.
Options ParseArguments(int argc, char** argv);
