// The player as the shell's handler of audio files, and the folder verbs, in
// this Wine prefix's registry.
#include <gtest/gtest.h>
#include "app/general_settings.h"
#include "app/shell_integration.h"
#include "media/file_groups.h"
#include <windows.h>

static std::wstring Value(HKEY root, const std::wstring& path, const wchar_t* name, bool* found = nullptr) {
    wchar_t buf[600] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    bool ok = RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) == ERROR_SUCCESS;
    if (found) *found = ok;
    return buf;
}

static void Set(HKEY root, const std::wstring& path, const wchar_t* name, const wchar_t* data) {
    RegSetKeyValueW(root, path.c_str(), name, REG_SZ, data, (DWORD)((wcslen(data) + 1) * sizeof(wchar_t)));
}

TEST(ShellIntegration, AssociatingKeepsTheFirstHandlerAndRestoringPutsItBack) {
    SetGeneralDefaults();
    BuildFileGroups();
    const std::wstring fileExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
    Set(HKEY_CLASSES_ROOT, L".mp3", nullptr, L"OtherPlayer.mp3");
    Set(HKEY_CURRENT_USER, fileExts + L".mp3", L"Progid", L"OtherPlayer.mp3");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L".mo3");  // no handler before
    AssociateAudioFiles();
    AssociateAudioFiles();  // a second run must not back up our own identifier
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".mp3", nullptr), L"Sonvale.Lossy");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".mp3", L"Sonvale_Back"), L"OtherPlayer.mp3");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, fileExts + L".mp3", L"Progid"), L"Sonvale.Lossy");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".wav", nullptr), L"Sonvale.Lossless");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".mo3", nullptr), L"Sonvale.Music");
    bool found = true;
    Value(HKEY_CLASSES_ROOT, L".mo3", L"Sonvale_Back", &found);
    EXPECT_FALSE(found);
    std::wstring command = Value(HKEY_CLASSES_ROOT, L"Sonvale.Music\\shell\\open\\command", nullptr);
    EXPECT_EQ(command.front(), L'"');  // the executable quoted, then its arguments
    EXPECT_NE(command.find(L".exe\" /f \"%1\""), std::wstring::npos);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L"Sonvale.Lossy\\DefaultIcon", nullptr).back(), L'2');
    std::wstring list = g_general.RegisteredAssociations.c_str();
    EXPECT_EQ(list.rfind(L"wav;", 0), 0u);
    EXPECT_NE(list.find(L"mp3;"), std::wstring::npos);
    // On again: the backups still hold the handler from before the first run.
    SetAudioFileAssociation(true);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".mp3", L"Sonvale_Back"), L"OtherPlayer.mp3");
    // Off: every extension gets its old handler back, or none.
    SetAudioFileAssociation(false);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".mp3", nullptr), L"OtherPlayer.mp3");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, fileExts + L".mp3", L"Progid"), L"OtherPlayer.mp3");
    Value(HKEY_CLASSES_ROOT, L".mp3", L"Sonvale_Back", &found);
    EXPECT_FALSE(found);
    Value(HKEY_CLASSES_ROOT, L".mo3", nullptr, &found);
    EXPECT_FALSE(found);
    Value(HKEY_CLASSES_ROOT, L"Sonvale.Lossy\\DefaultIcon", nullptr, &found);
    EXPECT_FALSE(found);
    EXPECT_STREQ(g_general.RegisteredAssociations.c_str(), L"");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L".mp3");  // the stand-in handler goes too
    RegDeleteTreeW(HKEY_CURRENT_USER, (fileExts + L".mp3").c_str());
}

TEST(ShellIntegration, FolderVerbsComeAndGo) {
    SetFolderVerb(VerbAdd, true);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L"Directory\\shell\\Sonvale.Add", nullptr), L"&Add to Sonvale PlayList");
    std::wstring command = Value(HKEY_CLASSES_ROOT, L"Directory\\shell\\Sonvale.Add\\command", nullptr);
    EXPECT_NE(command.find(L".exe\" /add \"%1\""), std::wstring::npos);
    SetFolderVerb(VerbOpen, true);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L"Directory\\shell\\Sonvale.Open", nullptr), L"Open in &Sonvale");
    SetFolderVerb(VerbAdd, false);
    SetFolderVerb(VerbOpen, false);
    HKEY k;
    EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Directory\\shell\\Sonvale.Add", 0, KEY_READ, &k), ERROR_SUCCESS);
    EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Directory\\shell\\Sonvale.Open", 0, KEY_READ, &k), ERROR_SUCCESS);
}
