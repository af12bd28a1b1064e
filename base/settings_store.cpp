#include "base/settings_store.h"
#include "base/paths.h"
#include <stdio.h>
#include <wchar.h>

// Settings.ini is never written in place: the new content goes to a file beside
// it, which then replaces the old one in one step. A crash or a full disk during
// a save leaves the previous settings as they were.

static const char kBom[3] = {'\xEF', '\xBB', '\xBF'};
static const int64_t kMaxSettingsFile = 64 * 1024 * 1024;

struct PendingSave {
    bool active = false;
    bool failed = false;
    std::wstring path;
    std::string bytes;
    bool has = false;
};
static PendingSave g_save;

static bool IsFileKey(HKEY root) { return root == SettingsKeyAppend || root == SettingsKeyRewrite; }

void BeginSettingsSave() {
    g_save = PendingSave{};
    g_save.active = true;
}

bool EndSettingsSave() {
    bool ok = !g_save.failed;
    if (ok && g_save.has) ok = ReplaceFileContents(g_save.path, g_save.bytes);
    g_save = PendingSave{};
    return ok;
}

// "Settings.ini\\General": the file beside the executable and the section name.
static void SplitSubKey(const wchar_t* subKeyPath, std::wstring* path, std::wstring* section) {
    std::wstring sub = subKeyPath ? subKeyPath : L"";
    size_t slash = sub.find(L'\\');
    std::wstring file = slash == std::wstring::npos ? sub : sub.substr(0, slash);
    *section = slash == std::wstring::npos ? L"" : sub.substr(slash + 1);
    *path = ProgramFolder() + file;
}

bool SettingsStore::Open(HKEY rootKey, const wchar_t* subKeyPath, REGSAM access) {
    Close();
    if (!IsFileKey(rootKey)) {
        LONG rc;
        if (access == KEY_READ)
            rc = RegOpenKeyExW(rootKey, subKeyPath, 0, KEY_READ, &key);
        else
            rc = RegCreateKeyExW(rootKey, subKeyPath, 0, nullptr, 0, access, nullptr, &key, nullptr);
        if (rc != ERROR_SUCCESS) key = nullptr;
        return rc == ERROR_SUCCESS;
    }
    std::wstring path, section;
    SplitSubKey(subKeyPath, &path, &section);
    if (access == KEY_WRITE) return OpenFileForWriting(rootKey, path, section);
    if (access == KEY_READ) return OpenFileForReading(path, section);
    return false;
}

bool SettingsStore::OpenFileForWriting(HKEY rootKey, const std::wstring& path, const std::wstring& section) {
    std::string header = "[" + WideToUtf8(section) + "]\r\n";
    bool inSave = g_save.active && (!g_save.has || lstrcmpiW(g_save.path.c_str(), path.c_str()) == 0);
    std::string existing;
    bool exists = false;
    if (rootKey == SettingsKeyAppend) {
        if (inSave && g_save.has) {
            existing = g_save.bytes;
            exists = true;
        } else if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            exists = ReadWholeFile(path.c_str(), &existing, kMaxSettingsFile);
            if (!exists) return false;  // there but unreadable: appending would lose it
        }
    }
    // Check now that the folder takes a file, so that a failing save is known at Open.
    std::wstring probe = SaveTempPath(path);
    if (!file.Open(probe.c_str(), GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL)) {
        if (g_save.active) g_save.failed = true;
        return false;
    }
    file.Close();
    DeleteFileW(probe.c_str());

    pending = exists ? existing + "\r\n" : std::string(kBom, 3);
    pending += header;
    targetPath = path;
    batched = inSave;
    writing = true;
    return true;
}

bool SettingsStore::OpenFileForReading(const std::wstring& path, const std::wstring& section) {
    std::string data;
    if (!ReadWholeFile(path.c_str(), &data, kMaxSettingsFile)) return false;
    std::string header = "[" + WideToUtf8(section) + "]";
    return ParseSettingsSection(data.data(), data.size(), header, &entries);
}

void SettingsStore::Close() {
    if (key) {
        RegCloseKey(key);
        key = nullptr;
    }
    if (!writing) return;
    writing = false;
    for (SettingsEntry& e : entries) {
        pending += e.name.ToUtf8();
        pending += " = ";
        pending += e.value.ToUtf8();
        pending += "\r\n";
    }
    if (batched && g_save.active) {
        g_save.path = targetPath;
        g_save.bytes = std::move(pending);
        g_save.has = true;
    } else {
        ReplaceFileContents(targetPath, pending);
    }
    pending.clear();
}

void SettingsStore::AddEntry(const wchar_t* name, const wchar_t* value) {
    SettingsEntry e;
    e.name.Set(name);
    e.value.Set(value);
    entries.push_back(std::move(e));
}

void SettingsStore::WriteDword(const wchar_t* name, uint32_t value) {
    if (writing) {
        wchar_t text[16];
        swprintf(text, 16, L"%u", value);
        AddEntry(name, text);
    } else if (key) {
        RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&value, 4);
    }
}

void SettingsStore::WriteInt(const wchar_t* name, int32_t value) {
    if (writing) {
        wchar_t text[16];
        swprintf(text, 16, L"%i", value);
        AddEntry(name, text);
    } else if (key) {
        RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&value, 4);
    }
}

void SettingsStore::WriteQword(const wchar_t* name, uint64_t value) {
    if (writing) {
        wchar_t text[20];
        swprintf(text, 20, L"%llX", (unsigned long long)value);
        AddEntry(name, text);
    } else if (key) {
        RegSetValueExW(key, name, 0, REG_BINARY, (const BYTE*)&value, 8);
    }
}

void SettingsStore::WriteString(const wchar_t* name, const wchar_t* value) {
    if (writing) {
        AddEntry(name, value ? value : L"");
    } else if (key && value) {
        RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)value, (DWORD)(wcslen(value) * sizeof(wchar_t)));
    }
}

const SettingsEntry* SettingsStore::Find(const wchar_t* name) const {
    for (const SettingsEntry& e : entries)
        if (lstrcmpiW(e.name.c_str(), name) == 0) return &e;
    return nullptr;
}

bool SettingsStore::ReadDword(const wchar_t* name, uint32_t* value) {
    if (!entries.empty()) {
        const SettingsEntry* e = Find(name);
        if (!e) return false;
        *value = ParseDecimal32(e->value.c_str());
        return true;
    }
    if (!key) return false;
    DWORD v = 0, size = 4, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)&v, &size) != ERROR_SUCCESS || size != 4) return false;
    *value = v;
    return true;
}

bool SettingsStore::ReadDword(const wchar_t* name, uint8_t* flag) {
    uint32_t v;
    if (!ReadDword(name, &v)) return false;
    *flag = v != 0;
    return true;
}

bool SettingsStore::ReadQword(const wchar_t* name, uint64_t* value) {
    if (!entries.empty()) {
        const SettingsEntry* e = Find(name);
        if (!e) return false;
        *value = ParseHex64(e->value.c_str());
        return true;
    }
    if (!key) return false;
    uint64_t v = 0;
    DWORD size = 8, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)&v, &size) != ERROR_SUCCESS || size != 8) return false;
    *value = v;
    return true;
}

bool SettingsStore::ReadString(const wchar_t* name, StringBuffer* value) {
    if (!entries.empty()) {
        const SettingsEntry* e = Find(name);
        if (!e) return false;
        value->text = e->value.text;
        return true;
    }
    if (!key) return false;
    DWORD size = 0, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = (DWORD)(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)buf.data(), &got) != ERROR_SUCCESS) return false;
    buf.resize(got / sizeof(wchar_t));
    size_t nul = buf.find(L'\0');
    if (nul != std::wstring::npos) buf.resize(nul);
    value->text = buf;
    return true;
}

// A value of more than 259 characters is reported as not found, as the
// registry side does, rather than cut.
bool SettingsStore::ReadStringFixed(const wchar_t* name, wchar_t (&value)[MAX_PATH]) {
    if (!entries.empty()) {
        const SettingsEntry* e = Find(name);
        if (!e || e->value.length() >= MAX_PATH) return false;
        wcscpy(value, e->value.c_str());
        return true;
    }
    if (!key) return false;
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)buf, &size) != ERROR_SUCCESS) return false;
    buf[MAX_PATH - 1] = 0;
    wcscpy(value, buf);
    return true;
}

bool DeleteKeyTree(HKEY root, const wchar_t* path) {
    if (RegDeleteKeyW(root, path) == ERROR_SUCCESS) return true;
    HKEY k;
    LONG rc = RegOpenKeyExW(root, path, 0, KEY_READ, &k);
    if (rc != ERROR_SUCCESS) return rc == ERROR_FILE_NOT_FOUND;
    std::wstring sub = path;
    if (sub.empty() || sub.back() != L'\\') sub += L'\\';
    for (;;) {
        wchar_t name[MAX_PATH + 1];
        DWORD len = MAX_PATH;
        if (RegEnumKeyExW(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteKeyTree(root, (sub + name).c_str())) break;
    }
    RegCloseKey(k);
    return RegDeleteKeyW(root, path) == ERROR_SUCCESS;
}

bool DeleteKeyTree(const wchar_t* path) {
    std::wstring copy = path;
    return DeleteKeyTree(HKEY_CLASSES_ROOT, copy.c_str());
}
