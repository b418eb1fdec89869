// The crash report, seen from outside: the program built with its test hooks
// (ZuvelS_hooks.exe beside this runner) is made to crash once its window is
// up; it must leave a minidump in the temporary folder and say where in one
// message box, which the test closes. The temporary folder is named in the
// fitters' letters, as a user profile may be, whatever the code page.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "link/wide_path_win.h"
#include "service/dialogs_win.h"

namespace {

// Sets an environment variable (a UTF-8 value) for the children started
// meanwhile.
class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const char* value) : name_(name) {
        wchar_t old[1024];
        const DWORD n = GetEnvironmentVariableW(name, old, 1024);
        had_ = n > 0 && n < 1024;
        if (had_) old_ = old;
        SetEnvironmentVariableW(name, utf8Text(value).c_str());
    }
    ~ScopedEnv() { SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr); }

private:
    std::wstring name_, old_;
    bool had_ = false;
};

struct BoxSearch {
    DWORD process;
    std::vector<HWND> boxes;
};

BOOL CALLBACK collectBox(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (pid == search->process && strcmp(cls, "#32770") == 0 && IsWindowVisible(w))
        search->boxes.push_back(w);
    return TRUE;
}

std::vector<HWND> messageBoxesOf(DWORD process) {
    BoxSearch search = {process, {}};
    EnumWindows(collectBox, reinterpret_cast<LPARAM>(&search));
    return search.boxes;
}

BOOL CALLBACK appendText(HWND w, LPARAM lp) {
    wchar_t text[1024] = L"";
    GetWindowTextW(w, text, 1024);
    *reinterpret_cast<std::string*>(lp) += utf8Path(text);
    return TRUE;
}

std::string textOf(HWND box) {
    std::string text;
    EnumChildWindows(box, appendText, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::string firstBytes(const std::string& path, size_t n) {
    std::string bytes(n, '\0');
    FILE* f = openFile(path.c_str(), "rb");
    if (!f) return "";
    bytes.resize(fread(&bytes[0], 1, n, f));
    fclose(f);
    return bytes;
}

// The dump files in folder: name and size.
std::vector<std::pair<std::string, DWORD>> dumpsIn(const std::string& folder) {
    std::vector<std::pair<std::string, DWORD>> found;
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW(widePath((folder + "ZuvelS-*.dmp").c_str()).c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        found.push_back({utf8Path(f.cFileName), f.nFileSizeLow});
    } while (FindNextFileW(h, &f));
    FindClose(h);
    return found;
}

class ShellCrashReport : public testing::Test {
protected:
    std::string temp;  // the child's temporary folder, with its final '\'

    void SetUp() override {
        wchar_t base[MAX_PATH + 1];
        ASSERT_NE(0u, GetTempPathW(MAX_PATH + 1, base));
        temp =
            utf8Path(base) + "zcr-" + std::to_string(GetCurrentProcessId()) +
            " J\xC5\xABrat\xC4\x97 \xC5\x81ukasz \xD0\x90\xD0\xBD\xD0\xB4\xD1\x80\xD0\xB5\xD0\xB9";
        ASSERT_TRUE(CreateDirectoryW(widePath(temp.c_str()).c_str(), nullptr)) << temp;
        temp += "\\";
    }
    void TearDown() override {
        for (const auto& d : dumpsIn(temp)) DeleteFileW(widePath((temp + d.first).c_str()).c_str());
        DeleteFileW(widePath((temp + "ZuvelS.ini").c_str()).c_str());
        RemoveDirectoryW(widePath(temp.c_str()).c_str());
    }
};

// ZuvelS_hooks.exe, told to crash, with temp as its temporary folder and
// its current one; on the built-in simulator, so it never opens a port.
bool startCrashingProgram(const std::string& temp, PROCESS_INFORMATION* child) {
    const std::wstring exe = widePath((moduleFolder() + "ZuvelS_hooks.exe").c_str());
    ScopedEnv crash(L"ZUVELS_TEST_CRASH", "1");
    ScopedEnv tmp(L"TMP", temp.c_str());
    ScopedEnv tempVar(L"TEMP", temp.c_str());
    std::wstring commandLine = L"\"" + exe + L"\" --demo";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    return CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          widePath(temp.c_str()).c_str(), &si, child) != FALSE;
}

// The child's message boxes once at least one shows, or none when the
// deadline passes or the child ends first.
std::vector<HWND> awaitMessageBoxes(const PROCESS_INFORMATION& child, DWORD deadlineMs) {
    std::vector<HWND> boxes;
    const DWORD start = GetTickCount();
    while (boxes.empty() && GetTickCount() - start < deadlineMs &&
           WaitForSingleObject(child.hProcess, 0) == WAIT_TIMEOUT) {
        boxes = messageBoxesOf(child.dwProcessId);
        if (boxes.empty()) Sleep(50);
    }
    return boxes;
}

TEST_F(ShellCrashReport, ACrashLeavesADumpInTheTempFolderAndSaysWhereInOneBox) {
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(startCrashingProgram(temp, &child));
    // Wine's minidump writer takes 10 to 50 s on a busy machine: a generous
    // deadline, still a deadline.
    const std::vector<HWND> boxes = awaitMessageBoxes(child, 45000);
    std::string text;
    if (boxes.size() == 1) {
        text = textOf(boxes[0]);
        PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
    }
    const bool ended = WaitForSingleObject(child.hProcess, 5000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(child.hProcess, 1);
    DWORD exitCode = 0;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    ASSERT_EQ(1u, boxes.size()) << "crash report boxes within 45 s";
    EXPECT_TRUE(ended) << "the program did not end within 5 s of the box closing";
    EXPECT_NE(0u, exitCode);
    const auto dumps = dumpsIn(temp);
    ASSERT_EQ(1u, dumps.size());
    // The runner carries the program's resources, its version among them.
    const std::string version = programVersionText();
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(0u, dumps[0].first.find("ZuvelS-" + version + "-")) << dumps[0].first;
    EXPECT_GT(dumps[0].second, 0u);
    EXPECT_EQ("MDMP", firstBytes(temp + dumps[0].first, 4));  // a minidump's signature
    EXPECT_NE(text.find(temp + dumps[0].first), std::string::npos) << text;
    EXPECT_NE(text.find("settings file"), std::string::npos) << text;
}

}  // namespace
