// What the page's script calls: the kit of the worker, the report of a run as tarvix-run makes
// it, the editor's syntax colours and the tools, all straight from the core.
#include <emscripten/bind.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/headless_run.h"
#include "common/format.h"
#include "common/source_limits.h"
#include "common/text.h"
#include "editor/syntax_classifier.h"
#include "tools/delay_routine.h"
#include "tools/number_conversion.h"
#include "tools/segment_codes.h"
#include "web/control_block.h"
#include "web/web_kit.h"

namespace tarvix::web {

namespace {

// The report of `tarvix-run --json --memory 1000-1FFF` on the text, with its --clock, --keys,
// --break and --max-steps (0 for none); a refusal of the options as tarvix-run words it.
std::string reportRun(const std::string& text, int megahertz, const std::string& keys,
                      int breakLine, double maxSteps) {
    const std::string folder = "/report";
    std::filesystem::create_directories(folder);
    RunRequest request;
    request.path = folder + "/program.asm";
    request.megahertz = megahertz;
    request.maxSteps = static_cast<std::uint64_t>(maxSteps);
    request.keys = keys;
    request.terminal = BatchTerminal::Collecting;
    if (breakLine > 0) {
        request.breakpoints.push_back(breakLine);
    }
    std::ofstream(request.path, std::ios::binary | std::ios::trunc) << text;
    const RunReport report = runHeadless(request);
    if (!report.refusal.empty()) {
        return "tarvix-run: " + report.refusal;
    }
    constexpr AddressRange kAllMemory{std::uint16_t{0x1000}, std::uint16_t{0x1FFF}};
    return reportJson(report, kAllMemory) + "\n";
}

// One line's colour blocks as [state, start, colour, start, colour, ...].
std::vector<int> classify(int state, const std::string& line) {
    std::vector<ColourBlock> blocks;
    const std::uint32_t next = classifyLine(static_cast<std::uint32_t>(state), line, &blocks);
    std::vector<int> flat{static_cast<int>(next)};
    for (const ColourBlock& block : blocks) {
        flat.push_back(block.start);
        flat.push_back(block.colour);
    }
    return flat;
}

std::string colour(int index) {
    const Rgb rgb = colourOf(index, Rgb{0xF0, 0xF0, 0xF0});
    return formatText("#%02X%02X%02X", rgb.red, rgb.green, rgb.blue);
}

// The routine's text in UTF-8 (its signs are Latin-1 bytes), or the range message for bad input.
std::string delayRoutine(double delayMs, double clockMhz) {
    const auto routine =
        makeDelayRoutine(static_cast<std::uint64_t>(delayMs), static_cast<std::uint64_t>(clockMhz));
    if (!routine) {
        return delayRangeMessage();
    }
    return utf8FromLatin1(routine->text);
}

int segmentCodeOf(int litBits) {
    std::array<bool, kSegmentCount> lit{};
    for (std::size_t i = 0; i < lit.size(); ++i) {
        lit[i] = (litBits >> i & 1) != 0;
    }
    return segmentCode(lit);
}

std::string convertNumber(const std::string& text, int fromBase, int bits) {
    const auto field = [](int base) {
        return base == 2    ? NumberField::Binary
               : base == 10 ? NumberField::Decimal
                            : NumberField::Hexadecimal;
    };
    const WordMode mode = bits == 8 ? WordMode::Bits8 : WordMode::Bits16;
    const std::uint16_t value = parseField(text, field(fromBase));
    return formatField(value, NumberField::Hexadecimal, mode) + " " +
           formatField(value, NumberField::Decimal, mode) + " " +
           formatField(value, NumberField::Binary, mode);
}

}  // namespace

}  // namespace tarvix::web

EMSCRIPTEN_BINDINGS(tarvix) {
    using namespace emscripten;
    // The module's process starts with the umask 0777, under which every list file written
    // would be read-only and the next assembly refused.
    ::umask(022);
    using tarvix::web::WebKit;
    register_vector<int>("IntVector");
    constant("controlCells", tarvix::web::kControlCells);
    class_<WebKit>("WebKit")
        .constructor<>()
        .function("setSource", &WebKit::setSource)
        .function("setSpeed", &WebKit::setSpeed)
        .function("run", &WebKit::run)
        .function("runToCursor", &WebKit::runToCursor)
        .function("step", &WebKit::step)
        .function("resetCpu", &WebKit::resetCpu)
        .function("resetMemory", &WebKit::resetMemory)
        .function("edit", &WebKit::edit)
        .function("assemble", &WebKit::assemble)
        .function("state", &WebKit::state);
    function("reportRun", &tarvix::web::reportRun);
    function("classify", &tarvix::web::classify);
    function("colour", &tarvix::web::colour);
    function("delayRoutine", &tarvix::web::delayRoutine);
    function("digitTable", &tarvix::digitTableText);
    function("segmentCode", &tarvix::web::segmentCodeOf);
    function("codeHex", &tarvix::codeHexText);
    function("codeBinary", &tarvix::codeBinaryText);
    function("convertNumber", &tarvix::web::convertNumber);
}
