#include "cli/command_line.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvix {

CLI::Option* addValueOption(CLI::App& app, const std::string& name,
                            std::function<std::string(const std::string&)> take) {
    auto callback = [take = std::move(take)](const CLI::results_t& values) {
        for (const std::string& value : values) {
            if (std::string problem = take(value); !problem.empty()) {
                throw CLI::ValidationError(problem);
            }
        }
        return true;
    };
    return app.add_option(name, std::move(callback))->expected(0, 1);
}

void prepareApp(CLI::App& app) {
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

namespace {

// The tools have always taken the argument after an option as its value, even one that starts
// with '-' ("--keys -x"), which CLI11 would read as an option: such pairs are handed over joined.
std::vector<std::string> joinValues(const CLI::App& app, int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const CLI::Option* option =
            arg.starts_with("--") ? app.get_option_no_throw(std::string(arg)) : nullptr;
        if (option != nullptr && option->get_items_expected_max() > 0 && i + 1 < argc) {
            args.push_back(std::string(arg) + "=" + argv[++i]);
        } else {
            args.emplace_back(arg);
        }
    }
    return args;
}

}  // namespace

std::string parseCommandLine(CLI::App& app, int argc, const char* const* argv,
                             const std::string& tooMany) {
    try {
        std::vector<std::string> args = joinValues(app, argc, argv);
        std::reverse(args.begin(), args.end());  // CLI11 takes them last first
        app.parse(std::move(args));
    } catch (const CLI::ParseError& error) {
        return error.what();
    }
    for (const std::string& extra : app.remaining()) {
        if (extra.size() > 1 && extra[0] == '-') {
            return "unknown option " + extra;
        }
        return tooMany;
    }
    return {};
}

}  // namespace tarvix
