#include "uninstall/run_value.h"

#include <algorithm>
#include <string>

#include "platform/names.h"
#include "shared/product.h"
#include "shared/registry_strings.h"

namespace vh {

// The Run value "Varnholde" is deleted when it starts the installed console.
// Unlike getstring, a failed read is told apart from a missing key or
// value, so that a value that could not be read is never taken as gone.
namespace {

RunValue remove_run_value_in(Registry& registry, RegKey key) {
    using namespace product;
    std::uint32_t type = reg_none, size = 0;
    long status = registry.query_value(key, run_value_name, &type, nullptr, &size);
    if (status == reg_file_not_found) return RunValue::absent;
    if (status != reg_ok) return RunValue::failed;
    if (type != reg_sz) return RunValue::not_the_console;
    std::string data(size, '\0');
    status = registry.query_value(key, run_value_name, &type, data.data(), &size);
    if (status != reg_ok) return RunValue::failed;
    data = data.substr(0, std::min<std::size_t>(size, data.find('\0')));
    if (!names_equal_ignoring_case(data, console_program)) return RunValue::not_the_console;
    status = registry.delete_value(key, run_value_name);
    if (status == reg_file_not_found) return RunValue::absent;
    return status == reg_ok ? RunValue::removed : RunValue::failed;
}

}  // namespace

RunValue remove_run_value(Registry& registry) {
    RegKey key = 0;
    const long status = registry.open_key(hkey_local_machine, product::run_key, key);
    if (status == reg_file_not_found) return RunValue::absent;
    if (status != reg_ok) return RunValue::failed;
    const RunValue result = remove_run_value_in(registry, key);
    registry.close_key(key);
    return result;
}

}  // namespace vh
