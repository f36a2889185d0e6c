#include "shared/uninstall_entry.h"

#include <algorithm>

#include "platform/names.h"
#include "shared/product.h"

namespace vh {

namespace {

std::string installed_uninstaller() {
    return std::string(product::install_dir) + "\\" + product::uninstaller_name;
}

long set_text(Registry& registry, RegKey key, const char* name, const std::string& text) {
    return registry.set_value(key, name, reg_sz, text.c_str(),
                              static_cast<std::uint32_t>(text.size() + 1));
}

// REG_DWORD data: four bytes, least significant first, as Windows keeps it.
long set_dword(Registry& registry, RegKey key, const char* name, std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF),
                           static_cast<char>(value >> 16 & 0xFF),
                           static_cast<char>(value >> 24 & 0xFF)};
    return registry.set_value(key, name, reg_dword, bytes, 4);
}

long write_values(Registry& registry, RegKey key, std::uint32_t estimated_size_kb) {
    using namespace product;
    const std::string command = uninstall_command(installed_uninstaller());
    // The switch that runs the uninstaller without its questions.
    const std::string quiet_command = command + " /S";
    const struct {
        const char* name;
        std::string text;
    } texts[] = {
        {"UninstallString", command},      {"QuietUninstallString", quiet_command},
        {"DisplayIcon", console_program},  {"InstallLocation", install_dir},
        {"DisplayVersion", version_text},  {"Publisher", publisher},
    };
    for (const auto& value : texts)
        if (long status = set_text(registry, key, value.name, value.text); status != reg_ok)
            return status;
    const struct {
        const char* name;
        std::uint32_t value;
    } numbers[] = {{"NoModify", 1}, {"NoRepair", 1}, {"EstimatedSize", estimated_size_kb}};
    for (const auto& value : numbers)
        if (long status = set_dword(registry, key, value.name, value.value); status != reg_ok)
            return status;
    return set_text(registry, key, "DisplayName", display_name);
}

// A REG_SZ value's text up to its first zero; a failed read is told apart
// from a missing value, so that an unreadable entry is never taken as gone.
long read_text(Registry& registry, RegKey key, const char* name, std::string& text) {
    std::uint32_t type = reg_none, size = 0;
    long status = registry.query_value(key, name, &type, nullptr, &size);
    if (status != reg_ok) return status;
    if (type != reg_sz) {
        text.clear();
        return reg_ok;
    }
    std::string data(size, '\0');
    status = registry.query_value(key, name, &type, data.data(), &size);
    if (status != reg_ok) return status;
    text = data.substr(0, std::min<std::size_t>(size, data.find('\0')));
    return reg_ok;
}

std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

std::string uninstall_command(const std::string& uninstaller_path) {
    return "\"" + uninstaller_path + "\"";
}

long write_uninstall_entry(Registry& registry, std::uint32_t estimated_size_kb) {
    RegKey key = 0;
    long status = registry.create_key(hkey_local_machine, product::uninstall_key, key);
    if (status != reg_ok) return status;
    status = write_values(registry, key, estimated_size_kb);
    registry.close_key(key);
    return status;
}

EntryRemoval remove_uninstall_entry(Registry& registry, const std::string& uninstaller_path) {
    RegKey key = 0;
    long status = registry.open_key(hkey_local_machine, product::uninstall_key, key);
    if (status == reg_file_not_found) return EntryRemoval::absent;
    if (status != reg_ok) return EntryRemoval::failed;
    std::string command;
    status = read_text(registry, key, "UninstallString", command);
    registry.close_key(key);
    if (status != reg_ok && status != reg_file_not_found) return EntryRemoval::failed;
    if (status == reg_file_not_found || !names_equal_ignoring_case(unquoted(command), uninstaller_path))
        return EntryRemoval::not_ours;
    status = registry.delete_key(hkey_local_machine, product::uninstall_key);
    if (status == reg_file_not_found) return EntryRemoval::absent;
    return status == reg_ok ? EntryRemoval::removed : EntryRemoval::failed;
}

std::uint32_t size_in_kb(std::uint64_t bytes) {
    const std::uint64_t kb = (bytes + 1023) / 1024;
    return kb > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(kb);
}

}  // namespace vh
