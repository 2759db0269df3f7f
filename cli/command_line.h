// The command-line tools read their options with CLI11, in our own words: every refusal says
// what an option needs, an option given twice counts as given last unless it is repeatable,
// and each tool prints its own usage for --help.
#pragma once

#include <functional>
#include <string>

#include <CLI/CLI.hpp>

namespace tarvix {

// An option with a value. `take` stores each value given, or returns what the option needs when
// the value will not do; a missing value reaches it as an empty text, refused in the same words.
CLI::Option* addValueOption(CLI::App& app, const std::string& name,
                            std::function<std::string(const std::string&)> take);

// An app without CLI11's own help, keeping unknown arguments for parseCommandLine to name.
void prepareApp(CLI::App& app);

// The refusal's text, empty when the command line is good; `tooMany` is said of an argument
// beyond the app's positional ones.
std::string parseCommandLine(CLI::App& app, int argc, const char* const* argv,
                             const std::string& tooMany);

}  // namespace tarvix
