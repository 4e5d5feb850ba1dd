// Empty and Save to File, through the real popup menu, save dialog and files.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "E2eSupport.h"
#include "UserInput.h"
#include "window/ControlIds.h"

namespace e2e {
namespace {

using namespace orsk;
using namespace std::string_literals;

constexpr int kFileNameBox = 0x47C;  // the save dialog's name box

std::wstring TempPath(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

std::string FileBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

class Saving : public ::testing::Test {
protected:
    void SetUp() override { Activate(trace.Window()); }
    void TearDown() override {
        for (const std::wstring& path : files) {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path.c_str());
        }
    }
    std::wstring NewFile(const wchar_t* name) {
        files.push_back(TempPath(name));
        ::DeleteFileW(files.back().c_str());
        return files.back();
    }
    void Send(ULONG_PTR level, const std::string& text) {
        ASSERT_EQ(SendTrace(trace.Window(), level, text).reply, 1);
    }

    // Right click on the text area, then the menu's last item, "Save to File".
    HWND OpenSaveDialog() {
        ClickOn(trace.Control(kIdMemTrace), true);
        if (!WaitUntil([] { return ::FindWindowW(L"#32768", nullptr) != nullptr; })) {
            return nullptr;
        }
        SettleInput(trace.Window());
        PressKey(VK_UP);
        PressKey(VK_RETURN);
        return WaitForWindow(trace.ProcessId(), L"#32770", nullptr, 10000);
    }
    static std::wstring NameIn(HWND dialog) { return ReadText(::GetDlgItem(dialog, kFileNameBox)); }
    void ChooseName(HWND dialog, const std::wstring& path) {
        SetEditText(::GetDlgItem(dialog, kFileNameBox), path);
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    void SaveTo(const std::wstring& path) {
        HWND dialog = OpenSaveDialog();
        ASSERT_NE(dialog, nullptr);
        ChooseName(dialog, path);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 10000));
        Sync(trace.Window());
    }

    TraceWindowProcess trace;
    std::vector<std::wstring> files;
};

TEST_F(Saving, AnEmptyViewSavesAnEmptyFileAndTruncatesAnOldOne) {
    const std::wstring path = NewFile(L"orsk-empty.txt");
    WriteFileBytes(path, "old content");
    HWND dialog = OpenSaveDialog();
    ASSERT_NE(dialog, nullptr);
    ChooseName(dialog, path);
    // The file exists: the dialog asks before overwriting it.
    HWND confirm = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        confirm = WaitForWindow(trace.ProcessId(), L"#32770", nullptr, 100);
        return confirm != nullptr && confirm != dialog && ::GetDlgItem(confirm, IDYES) != nullptr;
    }));
    ::PostMessageW(::GetDlgItem(confirm, IDYES), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 10000));
    Sync(trace.Window());
    EXPECT_EQ(FileBytes(path), "");
    EXPECT_EQ(CountDialogs(trace.ProcessId()), 0);
}

TEST_F(Saving, WritesTheViewAsShownWithUserEditsInTheAnsiCodePage) {
    Send(1, "caf\xC3\xA9");
    HWND memo = trace.Control(kIdMemTrace);
    ClickOn(memo);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(trace.ThreadId()) == memo; }));
    PressKey(VK_END, kCtrl);
    TypeText(L"edited");
    ASSERT_TRUE(WaitUntil([&] { return View(trace).ends_with("edited"); }));
    const std::wstring path = NewFile(L"orsk-edited.txt");
    SaveTo(path);
    const std::string expected =
        "----\r\n" + DateLines(View(trace))[0] + "\r\ncaf\xE9\r\n\r\nedited";
    EXPECT_EQ(FileBytes(path), expected);
}

TEST_F(Saving, TextTheAnsiCodePageLacksIsSavedAsUtf8WithAByteOrderMark) {
    Send(1, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x82\xAC");
    const std::wstring path = NewFile(L"orsk-unicode.txt");
    SaveTo(path);
    EXPECT_EQ(FileBytes(path), "\xEF\xBB\xBF" + View(trace));
}

TEST_F(Saving, OnlyWhatTheFilterShowsIsSaved) {
    Send(5, "five");
    Send(3, "three");
    Send(5, "five again");
    ChooseFilterItem(trace.Control(kIdCbFilter), 5);
    const std::wstring path = NewFile(L"orsk-level5.txt");
    SaveTo(path);
    EXPECT_EQ(WithoutDates(FileBytes(path)), Block("five") + Block("five again"));
}

TEST_F(Saving, TheDialogOffersTheLastPathAndCancelWritesNothing) {
    HWND dialog = OpenSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(NameIn(dialog), L"");
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 10000));

    // After a cancelled first save the name box is still empty.
    dialog = OpenSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(NameIn(dialog), L"");
    const std::wstring path = NewFile(L"orsk-remembered.txt");
    ChooseName(dialog, path);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 10000));
    Sync(trace.Window());
    EXPECT_EQ(FileBytes(path), "");

    // The second save offers the path chosen the first time: the dialog opens in its folder
    // with its name in the box, so pressing Save writes the same file again.
    Send(1, "second save");
    dialog = OpenSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(NameIn(dialog), L"orsk-remembered.txt");
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 10000));
    Sync(trace.Window());
    EXPECT_EQ(FileBytes(path), "");  // cancel wrote nothing

    dialog = OpenSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(NameIn(dialog), L"orsk-remembered.txt");
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND confirm = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        confirm = WaitForWindow(trace.ProcessId(), L"#32770", nullptr, 100);
        return confirm != nullptr && confirm != dialog && ::GetDlgItem(confirm, IDYES) != nullptr;
    }));
    ::PostMessageW(::GetDlgItem(confirm, IDYES), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 10000));
    Sync(trace.Window());
    EXPECT_EQ(FileBytes(path), View(trace));
}

// Waits for the standard error box, confirming the overwrite question on the way if it comes.
HWND WaitForErrorBox(const TraceWindowProcess& trace, HWND dialog) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            HWND confirm = WaitForWindow(trace.ProcessId(), L"#32770", nullptr, 100);
            if (confirm != nullptr && confirm != dialog &&
                ::GetDlgItem(confirm, IDYES) != nullptr) {
                ::PostMessageW(::GetDlgItem(confirm, IDYES), BM_CLICK, 0, 0);
            }
            box = WaitForWindow(trace.ProcessId(), L"#32770", L"Orsktrace", 100);
            return box != nullptr;
        },
        15000);
    return box;
}

// A file another program holds open without sharing cannot be created anew. (A read-only file
// would do on Windows; these tests run as root, for whom Wine lets read-only files be written.)
TEST_F(Saving, AFileThatCannotBeCreatedIsReportedAndLeftAlone) {
    Send(1, "not written");
    const std::wstring path = NewFile(L"orsk-locked.txt");
    WriteFileBytes(path, "protected");
    HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    HWND dialog = OpenSaveDialog();
    ASSERT_NE(dialog, nullptr);
    ChooseName(dialog, path);
    HWND box = WaitForErrorBox(trace, dialog);
    ASSERT_NE(box, nullptr);
    const std::string text = ToUtf8(BoxText(box));
    EXPECT_EQ(text.rfind("Cannot create file \"" + ToUtf8(path) + "\". ", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with(".") && !text.ends_with("..")) << text;
    PressOk(box);
    ::CloseHandle(lock);
    EXPECT_EQ(FileBytes(path), "protected");
    EXPECT_EQ(WithoutDates(View(trace)), Block("not written"));
    // The window carries on: the next save works.
    SaveTo(path + L".2");
    files.push_back(path + L".2");
    EXPECT_EQ(FileBytes(path + L".2"), View(trace));
}

TEST_F(Saving, AMissingFolderIsReported) {
    Send(1, "nowhere");
    const std::wstring path = TempPath(L"orsk-no-such-folder\\trace.txt");
    HWND dialog = OpenSaveDialog();
    ASSERT_NE(dialog, nullptr);
    ChooseName(dialog, path);
    HWND box = WaitForErrorBox(trace, dialog);
    ASSERT_NE(box, nullptr);
    const std::string text = ToUtf8(BoxText(box));
    EXPECT_EQ(text.rfind("Cannot create file \"" + ToUtf8(path) + "\". ", 0), 0u) << text;
    PressOk(box);
    EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The test command mounts a small disk as ORSK_FULL_DISK (a drive root such as "T:\\").
TEST_F(Saving, AFullDiskGivesAStreamWriteErrorAndClosesTheFile) {
    wchar_t drive[16] = {};
    if (::GetEnvironmentVariableW(L"ORSK_FULL_DISK", drive, 16) == 0) {
        GTEST_SKIP() << "ORSK_FULL_DISK names no small disk";
    }
    Send(1, std::string(256 * 1024, 'f'));  // far more than the disk holds
    const std::wstring path = std::wstring(drive) + L"orsk-full.txt";
    ::DeleteFileW(path.c_str());
    HWND dialog = OpenSaveDialog();
    ASSERT_NE(dialog, nullptr);
    ChooseName(dialog, path);
    HWND box = WaitForErrorBox(trace, dialog);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ToUtf8(BoxText(box)), "Stream write error.");
    PressOk(box);
    // The program closed the file: it can be opened for writing without sharing and removed.
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
    EXPECT_EQ(WithoutDates(View(trace)), Block(std::string(256 * 1024, 'f')));
}

TEST_F(Saving, EmptyDiscardsEveryTraceAlsoThoseTheFilterHid) {
    Send(5, "shown");
    Send(4, "hidden");
    ChooseFilterItem(trace.Control(kIdCbFilter), 5);
    HWND search = trace.Control(kIdEdtSearchFor);
    SetEditText(search, L"kept");
    ClickButton(trace.Control(kIdBtnEmpty));
    Sync(trace.Window());
    EXPECT_EQ(View(trace), "");
    // The filter and the search text keep their values.
    EXPECT_EQ(ReadTextUtf8(trace.Control(kIdCbFilter)), "5");
    EXPECT_EQ(ReadTextUtf8(search), "kept");

    Send(4, "after empty");
    ChooseFilterItem(trace.Control(kIdCbFilter), 0);
    EXPECT_EQ(WithoutDates(View(trace)), Block("after empty"));
}

}  // namespace
}  // namespace e2e
