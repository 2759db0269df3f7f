// The programs both run benchmarks execute, written once to a scratch folder, and a kit that
// runs one of them headless as the Run command runs it.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/clock.h"
#include "editor/x86_text_buffer.h"
#include "simulator/execution_driver.h"
#include "simulator/headless_run_host.h"
#include "simulator/kit.h"

namespace tarvix::bench {

namespace fs = std::filesystem;

// About ten million instructions each: nested loops of 65535 inner passes.
inline constexpr const char* kPrograms[] = {
    // LOOP around moves and exchanges.
    "        mov si,1800\n"
    "        mov dx,28\n"
    "outer:  mov cx,ffff\n"
    "inner:  mov ax,[si]\n"
    "        mov [si+2],ax\n"
    "        xchg ax,bx\n"
    "        loop inner\n"
    "        xchg cx,dx\n"
    "        loop next\n"
    "        hlt\n"
    "next:   xchg cx,dx\n"
    "        jmp outer\n",
    // DEC/JNZ around an ADD from memory, which sets every flag.
    "        mov si,1800\n"
    "        mov dx,28\n"
    "outer:  mov cx,ffff\n"
    "inner:  add ax,[si]\n"
    "        mov [si+2],ax\n"
    "        dec cx\n"
    "        jnz inner\n"
    "        dec dx\n"
    "        jnz outer\n"
    "        hlt\n",
    // Registers only.
    "        mov dx,20\n"
    "outer:  mov cx,ffff\n"
    "inner:  add ax,bx\n"
    "        xor bx,ax\n"
    "        inc si\n"
    "        dec cx\n"
    "        jnz inner\n"
    "        dec dx\n"
    "        jnz outer\n"
    "        hlt\n",
    // A procedure with memory operands and a repeated string move, called from a loop.
    "        mov dx,10\n"
    "outer:  mov bx,ffff\n"
    "inner:  call work\n"
    "        dec bx\n"
    "        jnz inner\n"
    "        dec dx\n"
    "        jnz outer\n"
    "        hlt\n"
    "work:   mov si,1800\n"
    "        mov di,1900\n"
    "        mov cx,4\n"
    "        repe movsb\n"
    "        lodsw\n"
    "        add [di+2],ax\n"
    "        ret\n",
};

inline constexpr std::size_t kProgramCount = std::size(kPrograms);

inline fs::path sourcePath(std::size_t program) {
    static const fs::path folder = [] {
        const fs::path made =
            fs::temp_directory_path() / ("tarvix_run_bench_" + std::to_string(::getpid()));
        fs::create_directories(made);
        for (std::size_t i = 0; i < std::size(kPrograms); ++i) {
            std::ofstream(made / ("loop" + std::to_string(i) + ".asm")) << kPrograms[i];
        }
        return made;
    }();
    return folder / ("loop" + std::to_string(program) + ".asm");
}

// A kit with the program loaded in its buffer, driven as the Run command drives it.
struct HeadlessKit {
    explicit HeadlessKit(std::size_t program) : host(sourcePath(program).string()) {
        buffer.loadFile(sourcePath(program).string());
        sink.lineSource = &kit.currentLine;
    }
    CX86TextBuffer buffer;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    Kit kit{pane};
    HeadlessRunHost host;
    SteadyClock clock;
    ExecutionDriver driver{kit, buffer, host, clock};
};

}  // namespace tarvix::bench
