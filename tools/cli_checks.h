// cli_checks.h -- argument checks shared by the capture tool's subcommands.
#pragma once

#include <string>

#include <CLI/CLI.hpp> // Required for: CLI::Validator

// Accepts only a plain decimal count of milliseconds in 0..4294967295 (no sign, no hex).
inline CLI::Validator millisecondsCheck()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
                return "expected whole milliseconds 0..4294967295, got '" + text + "'";
            if (std::stoull(text) > 4294967295ull)
                return "milliseconds out of range 0..4294967295: " + text;
            return std::string();
        },
        "MS");
}
