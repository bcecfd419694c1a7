#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/file_open.h"
#include "tests/support/platform_support.h"
#include "tests/support/unix_tools.h"
#include "toolkit/process/program_runner.h"

namespace tessel {
namespace {

std::wstring probe() { return testing::bin_directory() + L"probe_child.exe"; }

std::wstring read_text(const std::wstring& file) {
    std::wstring text;
    if (FILE* in = open_file(file.c_str(), L"r, ccs=UTF-8")) {
        wchar_t buffer[512];
        while (std::fgetws(buffer, 512, in)) text += buffer;
        std::fclose(in);
    }
    return text;
}

std::wstring field(const std::wstring& report, const std::wstring& name) {
    const std::size_t at = report.find(name + L"=");
    if (at == std::wstring::npos) return L"<missing>";
    const std::size_t start = at + name.size() + 1;
    return report.substr(start, report.find(L'\n', start) - start);
}

std::string read_pipe(HANDLE pipe) {
    std::string text;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    return text;
}

DWORD wait_exit(ProgramHandle program) {
    HANDLE process = program_record(program)->process;
    WaitForSingleObject(process, 10000);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

// Windows reads the current user's classes, which need no administrator,
// into HKEY_CLASSES_ROOT; Wine does not, and there the machine's classes
// need no administrator either. What a test writes goes when it ends.
HKEY probe_classes() {
    static HKEY classes = [] {
        HKEY user = nullptr;
        if (testing::under_wine()) return HKEY_CLASSES_ROOT;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user,
                        nullptr);
        return user;
    }();
    return classes;
}
constexpr const wchar_t* kProbeKeys[] = {L".tesselprobe", L"TesselProbe"};

void remove_probe_type() {
    for (const wchar_t* key : kProbeKeys) RegDeleteTreeW(probe_classes(), key);
}

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = testing::fresh_directory(L"runner");
        report = directory + L"report.txt";
        programs_before = program_count();
    }
    void TearDown() override { remove_probe_type(); }
    std::wstring directory, report;
    std::size_t programs_before = 0;
};

TEST_F(RunnerTest, KeptHiddenStartGivesARecordWithoutPipesAndKillEndsItWithMinusOne) {
    const std::wstring parameters = L"--report \"" + report + L"\" --sleep 20000";
    ProgramHandle program = start_program(probe().c_str(), parameters.c_str(),
                                          directory.c_str(), kStartHidden | kStartKeepOpen);
    ASSERT_GT(program, kProgramNotKept);
    ProgramRecord* record = program_record(program);
    ASSERT_NE(record, nullptr);
    EXPECT_NE(record->process, nullptr);
    EXPECT_GT(record->process_id, 0);
    EXPECT_EQ(record->input_write, nullptr);
    EXPECT_EQ(record->output_read, nullptr);
    EXPECT_EQ(record->error_read, nullptr);
    EXPECT_EQ(record->flags, 6);
    EXPECT_EQ(program_count(), programs_before + 1);

    ASSERT_TRUE(testing::pump_until([&] { return read_text(report).find(L"stderr=") != std::wstring::npos; }));
    const std::wstring text = read_text(report);
    EXPECT_EQ(field(text, L"cmdline"), L"\"" + probe() + L"\" " + parameters);
    EXPECT_EQ(field(text, L"cwd") + L"\\", directory);
    EXPECT_EQ(field(text, L"show"), std::to_wstring(SW_HIDE));

    EXPECT_NE(kill_program(program), 0);
    EXPECT_EQ(wait_exit(program), 0xFFFFFFFFu);
    close_program(program);
    EXPECT_EQ(program_record(program), nullptr);
    EXPECT_EQ(program_count(), programs_before);
}

TEST_F(RunnerTest, PathsWithBlanksAreQuotedAndEmptyParametersAddNothing) {
    const std::wstring spaced = testing::fresh_directory(L"with blanks") + L"probe child.exe";
    ASSERT_TRUE(testing::copy_file(probe(), spaced));
    const std::wstring parameters = L"--report \"" + report + L"\"";
    ProgramHandle program = start_program(spaced.c_str(), parameters.c_str(), nullptr,
                                          kStartKeepOpen | kStartWait);
    ASSERT_GT(program, kProgramNotKept);
    EXPECT_EQ(field(read_text(report), L"cmdline"), L"\"" + spaced + L"\" " + parameters);
    close_program(program);
    // A quoted file is taken as it stands, options included.
    const std::wstring quoted = L"\"" + spaced + L"\" --report \"" + report + L"\" --exit 2";
    program = start_program(quoted.c_str(), nullptr, directory.c_str(), kStartKeepOpen | kStartWait);
    ASSERT_GT(program, kProgramNotKept);
    EXPECT_EQ(field(read_text(report), L"cmdline"), quoted);
    EXPECT_EQ(wait_exit(program), 2u);
    close_program(program);
    // Without options the probe writes its command line: the bare quoted path.
    program = start_program(spaced.c_str(), L"", directory.c_str(),
                            kStartKeepOpen | kStartWait | kStartOutputPipe);
    ASSERT_GT(program, kProgramNotKept);
    const std::wstring line = L"\"" + spaced + L"\"";
    EXPECT_EQ(read_pipe(program_record(program)->output_read), testing::narrow(line));
    close_program(program);
}

TEST_F(RunnerTest, WithoutKeepOpenTheAnswerIsOneAndNothingIsKept) {
    const std::wstring parameters = L"--exit 3";
    EXPECT_EQ(start_program(probe().c_str(), parameters.c_str(), nullptr, kStartHidden),
              kProgramNotKept);
    EXPECT_EQ(program_count(), programs_before);
}

TEST_F(RunnerTest, WaitBlocksUntilTheProgramHasEnded) {
    const ULONGLONG start = GetTickCount64();
    ProgramHandle program = start_program(probe().c_str(), L"--sleep 300 --exit 7", nullptr,
                                          kStartWait | kStartKeepOpen);
    EXPECT_GE(GetTickCount64() - start, 290u);
    ASSERT_GT(program, kProgramNotKept);
    EXPECT_EQ(WaitForSingleObject(program_record(program)->process, 0), WAIT_OBJECT_0);
    EXPECT_EQ(wait_exit(program), 7u);
    close_program(program);
}

TEST_F(RunnerTest, DataFlowsThroughEachOfTheThreePipes) {
    ProgramHandle program = start_program(
        probe().c_str(), L"--say hi --echo --exit 5", nullptr,
        kStartKeepOpen | kStartInputPipe | kStartOutputPipe | kStartErrorPipe);
    ASSERT_GT(program, kProgramNotKept);
    ProgramRecord* record = program_record(program);
    ASSERT_NE(record->input_write, nullptr);
    DWORD written = 0;
    WriteFile(record->input_write, "echoed", 6, &written, nullptr);
    CloseHandle(record->input_write);
    record->input_write = nullptr;
    EXPECT_EQ(read_pipe(record->output_read), "hiechoed");
    EXPECT_EQ(read_pipe(record->error_read), "err:hi");
    EXPECT_EQ(wait_exit(program), 5u);
    close_program(program);
}

TEST_F(RunnerTest, ASenderChainFeedsOneProgramsOutputToTheNext) {
    ProgramHandle sender = start_program(probe().c_str(), L"--say chained", nullptr,
                                         kStartKeepOpen | kStartOutputPipe);
    ASSERT_GT(sender, kProgramNotKept);
    ProgramHandle receiver = start_program(probe().c_str(), L"--echo", nullptr,
                                           kStartKeepOpen | kStartOutputPipe | kStartFromSender,
                                           sender);
    ASSERT_GT(receiver, kProgramNotKept);
    EXPECT_EQ(read_pipe(program_record(receiver)->output_read), "chained");
    close_program(receiver);
    close_program(sender);
}

// A document of a type of our own, so that only the shell can start it.
std::wstring probe_document(const std::wstring& directory, const std::wstring& report) {
    const std::wstring command = L"\"" + probe() + L"\" --report \"" + report + L"\"";
    HKEY key = nullptr;
    RegCreateKeyExW(probe_classes(), kProbeKeys[0], 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"TesselProbe"),
                   sizeof L"TesselProbe");
    RegCloseKey(key);
    RegCreateKeyExW(probe_classes(), (std::wstring(kProbeKeys[1]) + L"\\shell\\open\\command").c_str(), 0,
                    nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    const std::wstring document = directory + L"paper.tesselprobe";
    if (FILE* out = open_file(document.c_str(), L"w")) std::fclose(out);
    return document;
}

TEST_F(RunnerTest, WithPipesOnlyADirectStartIsTried) {
    const std::wstring missing = directory + L"absent.exe";
    EXPECT_EQ(start_program(missing.c_str(), L"", nullptr, kStartHidden | kStartKeepOpen), 0);
    // A document that only the shell would open is refused whenever pipes
    // are asked, and the shell never starts its program.
    const std::wstring document = probe_document(directory, report);
    for (unsigned flags : {12u, 20u, 36u, 0x44u})
        EXPECT_EQ(start_program(document.c_str(), L"", nullptr, flags), 0) << flags;
    Sleep(1500);  // far longer than the shell takes to start the probe here
    EXPECT_EQ(GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(program_count(), programs_before);
}

TEST_F(RunnerTest, TheShellOpensADocumentInTheDocumentsOwnDirectory) {
    const std::wstring document = probe_document(directory, report);
    ProgramHandle program = start_program(document.c_str(), L"", nullptr, kStartKeepOpen);
    ASSERT_GT(program, kProgramNotKept);
    EXPECT_EQ(program_record(program)->process_id, -1);
    ASSERT_TRUE(testing::pump_until([&] { return read_text(report).find(L"stderr=") != std::wstring::npos; }));
    EXPECT_EQ(field(read_text(report), L"cwd") + L"\\", directory);
    close_program(program);
}

TEST_F(RunnerTest, ClosingARecordUnlinksItWhereverItStands) {
    ProgramHandle first = start_program(probe().c_str(), L"", nullptr, kStartKeepOpen);
    ProgramHandle middle = start_program(probe().c_str(), L"", nullptr, kStartKeepOpen);
    ProgramHandle newest = start_program(probe().c_str(), L"", nullptr, kStartKeepOpen);
    ASSERT_EQ(program_count(), programs_before + 3);
    close_program(middle);
    EXPECT_EQ(program_record(middle), nullptr);
    EXPECT_NE(program_record(first), nullptr);
    EXPECT_NE(program_record(newest), nullptr);
    close_program(newest);  // the head
    EXPECT_NE(program_record(first), nullptr);
    close_program(first);
    EXPECT_EQ(program_count(), programs_before);
}

TEST_F(RunnerTest, HandlesThatNameNoKeptProgramAreRefused) {
    EXPECT_EQ(kill_program(0), 0);
    EXPECT_EQ(kill_program(kProgramNotKept), 0);
    EXPECT_EQ(kill_program(0x12345678), 0);
    close_program(0x12345678);
    close_program(0);
    EXPECT_EQ(program_count(), programs_before);
}

TEST_F(RunnerTest, ProgramPathNamesThisExecutable) {
    const std::wstring path = program_path();
    EXPECT_EQ(path.substr(path.size() - 16), L"runner_tests.exe");
    EXPECT_EQ(path_part(path), testing::bin_directory());
}

}  // namespace
}  // namespace tessel
