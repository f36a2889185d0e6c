#include "packaging/lnk_writer.h"

#include <algorithm>

namespace vh {

namespace {

void put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

bool is_ascii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != 0; });
}

// The 76-byte ShellLinkHeader.
std::string header(std::uint32_t flags) {
    static const unsigned char link_clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00,
                                                 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00,
                                                 0x00, 0x00, 0x00, 0x46};
    std::string out;
    put32(out, 0x4C);  // HeaderSize
    out.append(reinterpret_cast<const char*>(link_clsid), sizeof link_clsid);
    put32(out, flags);
    put32(out, 0x20);                  // FileAttributes: FILE_ATTRIBUTE_ARCHIVE
    out.append(24, '\0');              // creation, access and write times: unknown
    put32(out, 0);                     // FileSize
    put32(out, 0);                     // IconIndex
    put32(out, show_normal);           // ShowCommand
    put16(out, 0);                     // HotKey
    out.append(2 + 4 + 4, '\0');       // Reserved1..3
    return out;
}

// A VolumeID of a fixed drive with no label and an unknown serial number.
std::string volume_id() {
    std::string out;
    put32(out, 0x11);  // VolumeIDSize: four fields and the empty label
    put32(out, drive_fixed);
    put32(out, 0);     // DriveSerialNumber
    put32(out, 0x10);  // VolumeLabelOffset
    out += '\0';       // the empty label
    return out;
}

std::string link_info(const std::string& local_base_path) {
    constexpr std::uint32_t header_size = 0x1C;
    const std::string volume = volume_id();
    const std::uint32_t base_path_offset = header_size + volume.size();
    const std::uint32_t suffix_offset = base_path_offset + local_base_path.size() + 1;
    const std::uint32_t size = suffix_offset + 1;  // the empty CommonPathSuffix
    std::string out;
    put32(out, size);
    put32(out, header_size);
    put32(out, 0x01);  // LinkInfoFlags: VolumeIDAndLocalBasePath
    put32(out, header_size);  // VolumeIDOffset
    put32(out, base_path_offset);
    put32(out, 0);  // CommonNetworkRelativeLinkOffset: none
    put32(out, suffix_offset);
    out += volume;
    out += local_base_path;
    out += '\0';
    out += '\0';
    return out;
}

// A StringData entry in UTF-16LE: a count of characters, no terminator.
std::string string_data(const std::string& ascii) {
    std::string out;
    put16(out, ascii.size());
    for (char c : ascii) put16(out, static_cast<unsigned char>(c));
    return out;
}

}  // namespace

std::string shell_link_bytes(const std::string& target, const std::string& working_dir) {
    if (!is_ascii(target) || !is_ascii(working_dir) || target.empty()) return {};
    using namespace link_flags;
    std::string out = header(has_link_info | has_working_dir | is_unicode);
    out += link_info(target);
    out += string_data(working_dir);
    put32(out, 0);  // TerminalBlock: no extra data
    return out;
}

}  // namespace vh
