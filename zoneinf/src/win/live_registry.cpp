// The machine's registry, read-only (KEY_READ, as any user may), in its
// 64-bit view whatever the program's own; zonechange's trace where its
// 32-bit INF left it.
#include "registry/live_registry.h"

#include "base/errors.h"
#include "registry/registry_vocabulary.h"
#include "base/messages.h"
#include "wide_text.h"

#include <windows.h>

#include <array>

namespace zoneinf {

namespace {

class Key {
public:
    // `view`: KEY_WOW64_64KEY, the machine's own; KEY_WOW64_32KEY, the one
    // 32-bit programs see (WOW6432Node).
    Key(HKEY parent, const std::wstring& path, REGSAM view = KEY_WOW64_64KEY)
    {
        status_ = ::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | view, &key_);
    }
    ~Key()
    {
        if (status_ == ERROR_SUCCESS) {
            ::RegCloseKey(key_);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    LSTATUS status() const { return status_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
    LSTATUS status_;
};

// Registry names are at most 255 characters, value names 16,383.
std::vector<std::wstring> SubkeysOf(HKEY key)
{
    std::vector<std::wstring> names;
    std::array<wchar_t, 256> name;
    for (DWORD index = 0;; ++index) {
        DWORD length = DWORD(name.size());
        if (::RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name.data(), length);
    }
}

// Every value of a key, its data as stored; false when it cannot be opened.
bool AddKey(RegistrySnapshot& snapshot, HKEY parent, const std::wstring& path, int depth,
            REGSAM view = KEY_WOW64_64KEY)
{
    const Key key(parent, path, view);
    if (key.status() != ERROR_SUCCESS) {
        return false;
    }
    RegistryKey found{Utf8FromWide(path), {}};
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(4096);
    for (DWORD index = 0;;) {
        DWORD nameLength = DWORD(name.size());
        DWORD type = 0;
        DWORD size = DWORD(data.size());
        const LSTATUS status = ::RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                               data.data(), &size);
        if (status == ERROR_MORE_DATA && size > data.size()) {
            data.resize(size);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        found.values.push_back({Utf8FromWide(name.data(), nameLength), type,
                                std::vector<std::uint8_t>(data.begin(), data.begin() + size), ""});
        ++index;
    }
    snapshot.keys.push_back(std::move(found));
    if (depth > 0) {
        for (const std::wstring& subkey : SubkeysOf(key.get())) {
            AddKey(snapshot, parent, path + L"\\" + subkey, depth - 1, view);
        }
    }
    return true;
}

}  // namespace

std::optional<RegistrySnapshot> ReadLiveRegistry()
{
    const std::wstring timeZones = WideFromUtf8(kTimeZonesKey);
    const Key probe(HKEY_LOCAL_MACHINE, timeZones);
    if (probe.status() != ERROR_SUCCESS) {
        throw UnreadableInput("HKEY_LOCAL_MACHINE\\" + Utf8FromWide(timeZones),
                              Fill(_("cannot open (error %1)"), {std::to_string(probe.status())}));
    }
    RegistrySnapshot snapshot{"registry", {}, SnapshotSource::kLiveRegistry};
    AddKey(snapshot, HKEY_LOCAL_MACHINE, timeZones, 2);  // each zone and its Dynamic DST
    AddKey(snapshot, HKEY_LOCAL_MACHINE, WideFromUtf8(kTimeZoneInformationKey), 0);
    // zonechange.exe is a 32-bit program: its INF's trace is in the 32-bit
    // view on 64-bit Windows, and in the only one elsewhere.
    const std::wstring trace = WideFromUtf8(kDefinitionsKey);
    if (!AddKey(snapshot, HKEY_LOCAL_MACHINE, trace, 1, KEY_WOW64_32KEY)) {
        AddKey(snapshot, HKEY_LOCAL_MACHINE, trace, 1);
    }
    return snapshot;
}

}  // namespace zoneinf
