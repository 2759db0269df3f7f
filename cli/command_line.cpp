#include "cli/command_line.h"

#include <utility>

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

std::string parseCommandLine(CLI::App& app, int argc, const char* const* argv,
                             const std::string& tooMany) {
    try {
        app.parse(argc, argv);
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
