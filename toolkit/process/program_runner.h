// The program runner: starts external programs directly or through the
// shell, optionally hidden, waited for, or kept open with pipes; ends and
// forgets the programs it keeps.
#pragma once

#include <cstddef>
#include <string>

#include "toolkit/process/command_line.h"
#include "toolkit/types.h"

namespace tessel {

// 0: not started; 1: started and not kept; else the address of a record.
using ProgramHandle = std::intptr_t;
constexpr ProgramHandle kProgramNotKept = 1;

struct ProgramRecord {
    HANDLE process;
    std::intptr_t process_id;  // -1 when started through the shell
    HANDLE input_write;
    HANDLE output_read;
    HANDLE error_read;
    std::intptr_t flags;
};

// Start flags.
constexpr unsigned kStartWait = 0x1;
constexpr unsigned kStartHidden = 0x2;
constexpr unsigned kStartKeepOpen = 0x4;
constexpr unsigned kStartOutputPipe = 0x8;
constexpr unsigned kStartInputPipe = 0x10;
constexpr unsigned kStartErrorPipe = 0x20;
constexpr unsigned kStartFromSender = 0x40;
constexpr unsigned kStartRedirected = 0x78;  // any of these forbids the shell

ProgramHandle start_program(const wchar_t* file, const wchar_t* parameters,
                            const wchar_t* directory, unsigned flags, ProgramHandle sender = 0);
// TerminateProcess with exit code 0xFFFFFFFF; the record stays. 0 when the
// platform refuses or the handle names no kept program.
int kill_program(ProgramHandle program);
// Closes the record's handles and forgets it; does not end the program.
void close_program(ProgramHandle program);

ProgramRecord* program_record(ProgramHandle program);  // null unless listed
std::size_t program_count();

std::wstring program_path();

void start_program_runner();

}  // namespace tessel
