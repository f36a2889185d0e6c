// HeldFolder on a folder handle: every entry is reached relative to it with
// NtCreateFile, a link opened as the link.
#pragma once

#include <windows.h>

#include "platform/held_folder.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/win_relative_open.h"

namespace vh {

class WinHeldFolder : public HeldFolder {
public:
    WinHeldFolder(WinHandle handle, const EntryFacts& facts)
        : handle_(std::move(handle)), facts_(facts) {}

    const EntryFacts& facts() const override { return facts_; }
    FsError list(std::vector<FolderEntry>& entries) override;
    FsError entry_facts(const std::string& name, EntryFacts& facts) override;
    FsError hold(const std::string& name, std::unique_ptr<HeldFolder>& child) override;
    FsError create(const std::string& name, const FileRights& rights,
                   std::unique_ptr<HeldFolder>& child) override;
    FsError remove(const std::string& name) override;
    FsError set_rights(const FileRights& rights) override;
    FsError set_file_rights(const std::string& name, const FileRights& rights) override;
    FsError inherit_file_rights(const std::string& name) override;

private:
    // Opens the entry name of this folder; ok, or why not. A folder that
    // is itself a link is not looked into.
    FsError open_entry(const std::string& name, RelativeOpen how, WinHandle& entry);
    // The facts of the entry name open as entry, a link told as a link.
    DWORD read_facts(const std::string& name, HANDLE entry, bool read_owner, EntryFacts& facts);
    // Opens the file name for re-righting, refusing a link or a file with
    // other names.
    FsError open_plain_file(const std::string& name, ACCESS_MASK access, WinHandle& file);

    WinHandle handle_;
    EntryFacts facts_;
};

// What a held folder's handle may do: list it and read its facts and rights.
// Others may read and write in it but never delete or rename it meanwhile.
constexpr ACCESS_MASK held_folder_access =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL;
constexpr ULONG held_folder_share = FILE_SHARE_READ | FILE_SHARE_WRITE;

}  // namespace vh
