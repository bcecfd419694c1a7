#include "toolkit/process/program_runner.h"

#include <shellapi.h>

#include <vector>

#include "toolkit/toolkit.h"

namespace tessel {
namespace {

constexpr DWORD kShellMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
static_assert(kShellMask == 0x540);
constexpr UINT kTerminatedExitCode = 0xFFFFFFFF;
constexpr DWORD kModulePathLength = MAX_PATH;

struct ProgramNode {
    ProgramNode* next;
    ProgramNode* previous;
    ProgramRecord record;
};

struct ProgramList {
    CRITICAL_SECTION lock;
    bool lock_ready = false;
    ProgramNode* head = nullptr;  // newest first
};

ProgramList& list() {
    static ProgramList programs;
    return programs;
}

class ListLock {
public:
    ListLock() {
        start_program_runner();
        EnterCriticalSection(&list().lock);
    }
    ~ListLock() { LeaveCriticalSection(&list().lock); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
};

ProgramNode* node_of(ProgramHandle program) {
    for (ProgramNode* node = list().head; node; node = node->next)
        if (reinterpret_cast<ProgramHandle>(&node->record) == program) return node;
    return nullptr;
}

ProgramHandle add_record(const ProgramRecord& record) {
    auto* node = static_cast<ProgramNode*>(
        HeapAlloc(private_heap(), HEAP_ZERO_MEMORY, sizeof(ProgramNode)));
    if (!node) return 0;
    node->record = record;
    ListLock held;
    node->next = list().head;
    if (node->next) node->next->previous = node;
    list().head = node;
    return reinterpret_cast<ProgramHandle>(&node->record);
}

void close_if(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

// The handles of one start: the program's ends and the runner's ends.
struct Redirection {
    HANDLE child_input = nullptr, child_output = nullptr, child_error = nullptr;
    HANDLE input_write = nullptr, output_read = nullptr, error_read = nullptr;
    HANDLE sender_input = nullptr;  // inheritable copy of the sender's end

    void close_child_ends() {
        close_if(child_input);
        close_if(child_output);
        close_if(child_error);
        close_if(sender_input);
    }
    void close_all() {
        close_child_ends();
        close_if(input_write);
        close_if(output_read);
        close_if(error_read);
    }
};

HANDLE duplicate(HANDLE handle, bool inheritable) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0,
                         inheritable, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

// A pipe whose far end the program inherits and whose near end the runner
// keeps, made non-inheritable so the program does not hold it open too.
bool make_pipe(bool program_reads, HANDLE& program_end, HANDLE& kept_end) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return false;
    HANDLE own_end = program_reads ? write : read;
    HANDLE other_end = program_reads ? read : write;
    HANDLE kept = duplicate(own_end, false);
    CloseHandle(own_end);
    if (!kept) {
        CloseHandle(other_end);
        return false;
    }
    program_end = other_end;
    kept_end = kept;
    return true;
}

struct StartPlan {
    STARTUPINFOW startup{};
    DWORD creation = NORMAL_PRIORITY_CLASS;
    BOOL inherit = FALSE;
    Redirection pipes;

    void use_handles() {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        inherit = TRUE;
    }
};

void plan_input(StartPlan& plan, unsigned flags, ProgramHandle sender) {
    ProgramRecord* from = (flags & kStartFromSender) && sender ? program_record(sender) : nullptr;
    if (from && from->output_read) {
        // The sender's end is kept non-inheritable; the program gets a copy
        // it can inherit, closed again once the program has started.
        plan.pipes.sender_input = duplicate(from->output_read, true);
        plan.startup.hStdInput = plan.pipes.sender_input;
        plan.use_handles();
        plan.creation = NORMAL_PRIORITY_CLASS;
    } else if ((flags & kStartKeepOpen) && (flags & kStartInputPipe)) {
        if (make_pipe(true, plan.pipes.child_input, plan.pipes.input_write)) {
            plan.startup.hStdInput = plan.pipes.child_input;
            plan.use_handles();
            plan.creation = NORMAL_PRIORITY_CLASS;
        }
    }
}

void plan_output(StartPlan& plan, unsigned flags) {
    if (!(flags & kStartKeepOpen)) return;
    if ((flags & kStartOutputPipe) &&
        make_pipe(false, plan.pipes.child_output, plan.pipes.output_read)) {
        plan.startup.hStdOutput = plan.pipes.child_output;
        plan.use_handles();
        plan.creation &= ~CREATE_NEW_CONSOLE;
    }
    if ((flags & kStartErrorPipe) &&
        make_pipe(false, plan.pipes.child_error, plan.pipes.error_read)) {
        plan.startup.hStdError = plan.pipes.child_error;
        plan.use_handles();
        plan.creation &= ~CREATE_NEW_CONSOLE;
    }
}

StartPlan plan_start(unsigned flags, ProgramHandle sender) {
    StartPlan plan;
    plan.startup.cb = sizeof plan.startup;
    plan.startup.dwFlags = STARTF_USESHOWWINDOW;
    plan.startup.wShowWindow = static_cast<WORD>((flags & kStartHidden) ? SW_HIDE : SW_SHOWNORMAL);
    if (flags & kStartHidden) plan.creation |= CREATE_NEW_CONSOLE;
    plan_input(plan, flags, sender);
    plan_output(plan, flags);
    if (plan.startup.dwFlags & STARTF_USESTDHANDLES) {
        if (!plan.startup.hStdInput) plan.startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        if (!plan.startup.hStdOutput) plan.startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        if (!plan.startup.hStdError) plan.startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    return plan;
}

// False where a program started suspended could not be resumed: it would
// never run, and is ended.
bool run_started(HANDLE process, HANDLE suspended_thread, unsigned flags) {
    if (suspended_thread) {
        const bool resumed = ResumeThread(suspended_thread) != static_cast<DWORD>(-1);
        CloseHandle(suspended_thread);
        if (!resumed) {
            if (process) TerminateProcess(process, kTerminatedExitCode);
            return false;
        }
    }
    if ((flags & kStartWait) && process) WaitForSingleObject(process, INFINITE);
    return true;
}

// A kept program's record is made before its process runs (it is started
// suspended where it can be), so that one whose record cannot be made is
// ended before it has shown a window or started another program.
ProgramHandle finish_start(HANDLE process, std::intptr_t process_id, const Redirection& kept,
                           unsigned flags, HANDLE suspended_thread = nullptr) {
    if (!(flags & kStartKeepOpen)) {
        const bool running = run_started(process, suspended_thread, flags);
        if (process) CloseHandle(process);
        return running ? kProgramNotKept : 0;
    }
    const ProgramRecord record{process, process_id, kept.input_write, kept.output_read,
                               kept.error_read, static_cast<std::intptr_t>(flags)};
    if (ProgramHandle handle = add_record(record)) {
        if (run_started(process, suspended_thread, flags)) return handle;
        close_program(handle);
        return 0;
    }
    // Nobody could ever end a process whose record is lost: end it now.
    if (process) {
        TerminateProcess(process, kTerminatedExitCode);
        CloseHandle(process);
    }
    if (suspended_thread) CloseHandle(suspended_thread);
    for (HANDLE h : {kept.input_write, kept.output_read, kept.error_read})
        if (h) CloseHandle(h);
    return 0;
}

ProgramHandle start_through_shell(const std::wstring& file, const std::wstring& parameters,
                                  const std::wstring& directory, unsigned flags, WORD show) {
    const std::wstring folder = directory.empty() ? shell_directory(file) : directory;
    SHELLEXECUTEINFOW shell{};
    shell.cbSize = sizeof shell;
    shell.fMask = kShellMask;
    shell.lpFile = file.c_str();
    shell.lpParameters = parameters.c_str();
    shell.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    shell.nShow = show;
    if (!ShellExecuteExW(&shell)) return 0;
    return finish_start(shell.hProcess, -1, Redirection{}, flags & ~kStartRedirected);
}

}  // namespace

void start_program_runner() {
    ProgramList& programs = list();
    if (programs.lock_ready) return;
    InitializeCriticalSection(&programs.lock);  // never deleted
    programs.lock_ready = true;
}

ProgramHandle start_program(const wchar_t* file, const wchar_t* parameters,
                            const wchar_t* directory, unsigned flags, ProgramHandle sender) {
    const std::wstring file_text = file ? file : L"";
    const std::wstring parameter_text = parameters ? parameters : L"";
    const std::wstring directory_text = directory ? directory : L"";

    StartPlan plan = plan_start(flags, sender);
    std::wstring line = build_command_line(file_text, parameter_text);
    std::vector<wchar_t> command(line.begin(), line.end());
    command.push_back(L'\0');

    PROCESS_INFORMATION started{};
    const DWORD suspended = (flags & kStartKeepOpen) ? CREATE_SUSPENDED : 0;
    const BOOL ok = CreateProcessW(nullptr, command.data(), nullptr, nullptr, plan.inherit,
                                   plan.creation | suspended, nullptr,
                                   directory_text.empty() ? nullptr : directory_text.c_str(),
                                   &plan.startup, &started);
    if (ok) {
        plan.pipes.close_child_ends();
        if (!suspended) CloseHandle(started.hThread);
        return finish_start(started.hProcess, started.dwProcessId, plan.pipes, flags,
                            suspended ? started.hThread : nullptr);
    }
    plan.pipes.close_all();
    if (flags & kStartRedirected) return 0;
    return start_through_shell(file_text, parameter_text, directory_text, flags,
                               plan.startup.wShowWindow);
}

ProgramRecord* program_record(ProgramHandle program) {
    if (program == 0 || program == kProgramNotKept) return nullptr;
    ListLock held;
    ProgramNode* node = node_of(program);
    return node ? &node->record : nullptr;
}

std::size_t program_count() {
    ListLock held;
    std::size_t count = 0;
    for (ProgramNode* node = list().head; node; node = node->next) ++count;
    return count;
}

int kill_program(ProgramHandle program) {
    ProgramRecord* record = program_record(program);
    if (!record || !record->process) return 0;
    return TerminateProcess(record->process, kTerminatedExitCode) ? 1 : 0;
}

void close_program(ProgramHandle program) {
    ProgramRecord* record = program_record(program);
    if (!record) return;
    close_if(record->process);
    close_if(record->input_write);
    close_if(record->output_read);
    close_if(record->error_read);
    ProgramNode* node = nullptr;
    {
        ListLock held;
        node = node_of(program);
        if (!node) return;
        if (node->previous) node->previous->next = node->next;
        else list().head = node->next;
        if (node->next) node->next->previous = node->previous;
    }
    HeapFree(private_heap(), 0, node);
}

std::wstring program_path() {
    wchar_t path[kModulePathLength] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, kModulePathLength);
    return strip_long_path_prefix(std::wstring_view(path, length));
}

}  // namespace tessel
