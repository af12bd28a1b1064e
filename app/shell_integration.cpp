#include "app/shell_integration.h"
#include "app/general_settings.h"
#include "base/settings_store.h"
#include "media/file_groups.h"
#include <windows.h>

static const wchar_t* const kProgIds[3] = {L"Sonvale.Lossless", L"Sonvale.Lossy", L"Sonvale.Music"};
static const wchar_t kBackup[] = L"Sonvale_Back";
static const wchar_t kFileExts[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.";

static std::wstring ExePath() {
    wchar_t exe[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH * 2 - 1);
    return exe;
}

// The executable is quoted: a path with spaces must not be taken for a shorter
// program at its first space.
std::wstring ShellCommand(const wchar_t* arguments) { return L"\"" + ExePath() + L"\" " + arguments; }

static bool SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& data) {
    HKEY k;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExW(k, name, 0, REG_SZ, (const BYTE*)data.c_str(), (DWORD)((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

static bool ReadString(HKEY k, const wchar_t* name, std::wstring* out) {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(k, name, nullptr, &type, (BYTE*)buf, &size) != ERROR_SUCCESS || type != REG_SZ) return false;
    *out = buf;
    return true;
}

struct ExtensionKey {
    HKEY root;
    std::wstring path;
    const wchar_t* value;  // null: the key's default value
};

// The two places that name an extension's handler.
static ExtensionKey KeyFor(int place, const std::wstring& ext) {
    if (place == 0) return ExtensionKey{HKEY_CLASSES_ROOT, L"." + ext, nullptr};
    return ExtensionKey{HKEY_CURRENT_USER, kFileExts + ext, L"Progid"};
}

static HKEY Open(const ExtensionKey& e) {
    HKEY k;
    return RegCreateKeyExW(e.root, e.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == ERROR_SUCCESS
               ? k : nullptr;
}

void AssociateAudioFiles() {
    BuildFileGroups();
    std::wstring exe = ExePath();
    for (int g = 0; g < 3; g++) {
        SetString(HKEY_CLASSES_ROOT, std::wstring(kProgIds[g]) + L"\\shell\\open\\command", nullptr,
                  ShellCommand(L"/f \"%1\""));
        SetString(HKEY_CLASSES_ROOT, std::wstring(kProgIds[g]) + L"\\DefaultIcon", nullptr,
                  exe + L"," + std::to_wstring(g + 1));
    }
    std::wstring registered;
    for (int g = GroupLossless; g <= GroupMusic; g++)
        for (const std::wstring& e : g_fileGroups.groups[g].patterns) registered += e + L";";
    g_general.RegisteredAssociations.Set(registered.c_str());
    for (int place = 0; place < 2; place++)
        for (int g = GroupLossless; g <= GroupMusic; g++)
            for (const std::wstring& e : g_fileGroups.groups[g].patterns) {
                ExtensionKey ek = KeyFor(place, e);
                HKEY k = Open(ek);
                if (!k) continue;
                const wchar_t* id = kProgIds[g - GroupLossless];
                std::wstring old;
                // A second run finds its own identifier there and keeps the first backup.
                if (ReadString(k, ek.value, &old) && old != id) SetString(k, L"", kBackup, old);
                RegSetValueExW(k, ek.value, 0, REG_SZ, (const BYTE*)id, (DWORD)((wcslen(id) + 1) * sizeof(wchar_t)));
                RegCloseKey(k);
            }
}

void RestoreAssociations(bool keepIdentifiers) {
    if (!keepIdentifiers)
        for (const wchar_t* id : kProgIds) DeleteKeyTree(HKEY_CLASSES_ROOT, id);
    std::wstring list = g_general.RegisteredAssociations.c_str();
    if (!list.empty()) {
        for (int place = 0; place < 2; place++) {
            size_t start = 0;
            while (start < list.size()) {
                size_t semi = list.find(L';', start);
                std::wstring ext = list.substr(start, semi == std::wstring::npos ? std::wstring::npos : semi - start);
                start = semi == std::wstring::npos ? list.size() : semi + 1;
                if (ext.empty()) continue;
                ExtensionKey ek = KeyFor(place, ext);
                HKEY k = Open(ek);
                if (!k) continue;
                std::wstring back;
                if (ReadString(k, kBackup, &back))
                    RegSetValueExW(k, ek.value, 0, REG_SZ, (const BYTE*)back.c_str(),
                                   (DWORD)((back.size() + 1) * sizeof(wchar_t)));
                else
                    RegDeleteValueW(k, ek.value);
                RegDeleteValueW(k, kBackup);
                RegCloseKey(k);
            }
        }
    }
    g_general.RegisteredAssociations.Set(L"");
}

void SetAudioFileAssociation(bool on) {
    RestoreAssociations(on);
    if (on) AssociateAudioFiles();
}

void SetFolderVerb(FolderVerb verb, bool on) {
    std::wstring key = verb == VerbOpen ? L"Directory\\shell\\Sonvale.Open" : L"Directory\\shell\\Sonvale.Add";
    if (!on) {
        DeleteKeyTree(HKEY_CLASSES_ROOT, key.c_str());
        return;
    }
    SetString(HKEY_CLASSES_ROOT, key, nullptr, verb == VerbOpen ? L"Open in &Sonvale" : L"&Add to Sonvale PlayList");
    SetString(HKEY_CLASSES_ROOT, key + L"\\command", nullptr, ShellCommand(verb == VerbOpen ? L"\"%1\"" : L"/add \"%1\""));
}

void RemoveShellIntegration() {
    SettingsStore s;
    if (s.Open(SettingsKeyRewrite, L"Settings.ini\\General", KEY_READ))
        s.ReadString(L"RegisteredAssociations", &g_general.RegisteredAssociations);
    s.Close();
    RestoreAssociations(false);
    SetFolderVerb(VerbOpen, false);
    SetFolderVerb(VerbAdd, false);
}
