// The crash report, seen from outside: the program built with its test hooks
// (ZuvelS_hooks.exe beside this runner) is made to crash once its window is
// up; it must leave a minidump in the temporary folder and say where in one
// message box, which the test closes.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "service/dialogs_win.h"

namespace {

std::string folderOfThisRunner() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\') + 1);
}

// Sets an environment variable for the children started meanwhile.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        char old[1024];
        const DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
        had_ = n > 0 && n < sizeof old;
        if (had_) old_ = old;
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnv() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

private:
    std::string name_, old_;
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
    char text[1024] = "";
    GetWindowTextA(w, text, sizeof text);
    *reinterpret_cast<std::string*>(lp) += text;
    return TRUE;
}

std::string textOf(HWND box) {
    std::string text;
    EnumChildWindows(box, appendText, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::string firstBytes(const std::string& path, size_t n) {
    std::string bytes(n, '\0');
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "";
    bytes.resize(fread(&bytes[0], 1, n, f));
    fclose(f);
    return bytes;
}

// The dump files in folder: name and size.
std::vector<std::pair<std::string, DWORD>> dumpsIn(const std::string& folder) {
    std::vector<std::pair<std::string, DWORD>> found;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((folder + "ZuvelS-*.dmp").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        found.push_back({f.cFileName, f.nFileSizeLow});
    } while (FindNextFileA(h, &f));
    FindClose(h);
    return found;
}

class ShellCrashReport : public testing::Test {
protected:
    std::string temp;  // the child's temporary folder, with its final '\'

    void SetUp() override {
        char base[MAX_PATH], name[MAX_PATH];
        GetTempPathA(sizeof base, base);
        GetTempFileNameA(base, "zcr", 0, name);
        DeleteFileA(name);
        ASSERT_TRUE(CreateDirectoryA(name, nullptr));
        temp = std::string(name) + "\\";
    }
    void TearDown() override {
        for (const auto& d : dumpsIn(temp)) DeleteFileA((temp + d.first).c_str());
        DeleteFileA((temp + "ZuvelS.ini").c_str());
        RemoveDirectoryA(temp.c_str());
    }
};

// ZuvelS_hooks.exe, told to crash, with temp as its temporary folder and
// its current one; on the built-in simulator, so it never opens a port.
bool startCrashingProgram(const std::string& temp, PROCESS_INFORMATION* child) {
    const std::string exe = folderOfThisRunner() + "ZuvelS_hooks.exe";
    ScopedEnv crash("ZUVELS_TEST_CRASH", "1");
    ScopedEnv tmp("TMP", temp.c_str());
    ScopedEnv tempVar("TEMP", temp.c_str());
    std::string commandLine = "\"" + exe + "\" --demo";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          temp.c_str(), &si, child) != FALSE;
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
