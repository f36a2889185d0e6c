// The handle-based layer of the elevated programs, against the fake natively
// and against Windows under Wine: what a user can plant in a folder that he
// may write (a link to another folder, a second name of someone's file, a
// folder where a file is expected) is never followed, written or re-righted.
// Under Wine a link is a Unix symbolic link standing in for a junction; Wine
// keeps no rights and no owners, so rights and owners are checked through
// the fake (and on Windows, where rights_are_kept is true). Only Windows
// shows real junctions (removed as links, listed as empty or refused) and
// owners other than the user Wine runs as.
#include <algorithm>

#include "tests/interface/fixture.h"

namespace vh::testing {
namespace {

const FileRights protected_rights{Trustee::administrators,
                                  {{Trustee::system, Access::full_control, Reach::this_and_contents},
                                   {Trustee::administrators, Access::full_control,
                                    Reach::this_and_contents},
                                   {Trustee::users, Access::read_execute,
                                    Reach::this_and_contents}}};

class HeldFolderTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ASSERT_EQ(fs.hold_drive_root("C:", root), FsError::ok);
        ASSERT_EQ(root->hold("vh_interface_test", box), FsError::ok);
    }
    void TearDown() override {
        box.reset();
        root.reset();
        PlatformTest::TearDown();
    }

    std::vector<std::string> names_in(HeldFolder& folder) {
        std::vector<FolderEntry> entries;
        EXPECT_EQ(folder.list(entries), FsError::ok);
        std::vector<std::string> names;
        for (const FolderEntry& entry : entries) names.push_back(entry.name);
        return names;
    }
    std::string content_of(const std::string& relative) {
        std::string content;
        return fs.read_file(path(relative), content) == FsError::ok ? content : "<missing>";
    }
    // A folder "target" holding a.txt, and "link" leading to it.
    void plant_link() {
        ASSERT_EQ(fs.create_directory(path("target")), FsError::ok);
        ASSERT_EQ(fs.write_file(path("target\\a.txt"), "victim"), FsError::ok);
        ASSERT_TRUE(make_directory_link(path("link"), path("target")));
    }
    // b.txt, and c.txt a second name of the same file.
    void plant_hard_link() {
        ASSERT_EQ(fs.write_file(path("b.txt"), "victim"), FsError::ok);
        ASSERT_TRUE(make_hard_link(path("c.txt"), path("b.txt")));
    }

    std::unique_ptr<HeldFolder> root, box;
};

TEST_F(HeldFolderTest, EntriesAreListedCreatedAndRemovedThroughTheHandle) {
    std::unique_ptr<HeldFolder> sub;
    ASSERT_EQ(box->create("sub", protected_rights, sub), FsError::ok);
    EXPECT_TRUE(sub->facts().attributes & attr::directory);
    EXPECT_TRUE(owned_by_administrators(sub->facts().owner));
    ASSERT_EQ(fs.write_file(path("b.txt"), "1"), FsError::ok);
    ASSERT_EQ(fs.write_file(path("A.txt"), "1"), FsError::ok);
    ASSERT_EQ(fs.write_file(path("hidden.txt"), "1"), FsError::ok);
    ASSERT_EQ(fs.set_attributes(path("hidden.txt"), attr::hidden), FsError::ok);
    ASSERT_EQ(fs.write_file(path("sub\\x.txt"), "1"), FsError::ok);
    EXPECT_EQ(names_in(*box), (std::vector<std::string>{"A.txt", "b.txt", "hidden.txt", "sub"}));
    EXPECT_EQ(names_in(*sub), std::vector<std::string>{"x.txt"});
    EntryFacts facts;
    ASSERT_EQ(box->entry_facts("B.TXT", facts), FsError::ok);
    EXPECT_EQ(facts.links, 1u);
    EXPECT_FALSE(facts.attributes & (attr::directory | attr::reparse_point));
    EXPECT_EQ(box->entry_facts("none", facts), FsError::file_not_found);
    // Anything that has the name stops a creation, whatever it is.
    for (const char* taken : {"sub", "SUB", "b.txt", "hidden.txt"})
        EXPECT_EQ(box->create(taken, protected_rights, sub), FsError::already_exists) << taken;
    EXPECT_EQ(box->hold("b.txt", sub), FsError::access_denied);
    // A folder goes only when empty; a read-only file goes all the same.
    sub.reset();
    EXPECT_EQ(box->remove("sub"), FsError::dir_not_empty);
    EXPECT_EQ(content_of("sub\\x.txt"), "1");
    ASSERT_EQ(fs.set_attributes(path("A.txt"), attr::read_only), FsError::ok);
    for (const char* name : {"A.txt", "hidden.txt"}) EXPECT_EQ(box->remove(name), FsError::ok);
    EXPECT_EQ(box->remove("b.txt"), FsError::ok);
    EXPECT_EQ(box->remove("none"), FsError::file_not_found);
    EXPECT_EQ(names_in(*box), std::vector<std::string>{"sub"});
}

TEST_F(HeldFolderTest, ANameIsOneComponentOfTheHeldFolder) {
    ASSERT_EQ(fs.create_directory(path("sub")), FsError::ok);
    ASSERT_EQ(fs.write_file(path("b.txt"), "1"), FsError::ok);
    std::unique_ptr<HeldFolder> sub;
    ASSERT_EQ(box->hold("sub", sub), FsError::ok);
    EntryFacts facts;
    for (const char* name : {"", ".", "..", "..\\b.txt", "..\\escape", "sub\\..", "a/b",
                             "C:", "b.txt:stream", "\\vh_interface_test"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<HeldFolder> held;
        EXPECT_EQ(sub->hold(name, held), FsError::invalid_name);
        EXPECT_EQ(sub->create(name, protected_rights, held), FsError::invalid_name);
        EXPECT_EQ(sub->entry_facts(name, facts), FsError::invalid_name);
        EXPECT_EQ(sub->remove(name), FsError::invalid_name);
        EXPECT_EQ(sub->set_file_rights(name, protected_rights), FsError::invalid_name);
        EXPECT_EQ(sub->inherit_file_rights(name), FsError::invalid_name);
    }
    EXPECT_EQ(content_of("b.txt"), "1");
    std::uint32_t attributes = 0;
    EXPECT_EQ(fs.get_attributes("C:\\escape", attributes), FsError::file_not_found);
}

// A folder that is held can be neither removed nor renamed away, by anyone.
TEST_F(HeldFolderTest, AHeldFolderStaysWhereItIs) {
    std::unique_ptr<HeldFolder> sub;
    ASSERT_EQ(box->create("sub", protected_rights, sub), FsError::ok);
    EXPECT_EQ(fs.remove_directory(path("sub")), FsError::sharing_violation);
    EXPECT_EQ(box->remove("sub"), FsError::sharing_violation);
    EXPECT_NE(fs.move_file_replacing(path("sub"), path("moved")), FsError::ok);
    EXPECT_EQ(names_in(*box), std::vector<std::string>{"sub"});
    sub.reset();
    EXPECT_EQ(box->remove("sub"), FsError::ok);
}

// Each way an elevated program could reach what a planted link leads to.
TEST_F(HeldFolderTest, ALinkIsNeverFollowed) {
    plant_link();
    EntryFacts facts;
    ASSERT_EQ(box->entry_facts("link", facts), FsError::ok);
    EXPECT_TRUE(facts.attributes & attr::reparse_point);
    std::unique_ptr<HeldFolder> link;
    ASSERT_EQ(box->hold("link", link), FsError::ok);
    EXPECT_TRUE(link->facts().attributes & attr::reparse_point);
    std::vector<FolderEntry> entries;
    const FsError listed = link->list(entries);
    EXPECT_TRUE(listed != FsError::ok || entries.empty()) << entries.size();
    EXPECT_NE(link->remove("a.txt"), FsError::ok);
    link.reset();
    EXPECT_EQ(box->set_file_rights("link", protected_rights), FsError::link);
    EXPECT_EQ(box->inherit_file_rights("link"), FsError::link);
    EXPECT_EQ(fs.set_rights(path("link"), protected_rights), FsError::link);
    std::unique_ptr<LogFile> log;
    EXPECT_NE(fs.open_log(path("link"), log), FsError::ok);
    EXPECT_EQ(content_of("target\\a.txt"), "victim");
    // Removed as a link, what it leads to stays. Windows removes the
    // junction; Wine acts on what its stand-in leads to, refusing a folder
    // with files as not empty (and removing an empty one).
    box->remove("link");
    EXPECT_EQ(content_of("target\\a.txt"), "victim");
}

// A second name of someone's file is neither written, re-righted nor copied,
// and the log is not opened there: the file keeps every byte.
TEST_F(HeldFolderTest, AFileWithAnotherNameIsLeftAsItIs) {
    plant_hard_link();
    EntryFacts facts;
    ASSERT_EQ(box->entry_facts("c.txt", facts), FsError::ok);
    EXPECT_EQ(facts.links, 2u);
    std::unique_ptr<LogFile> log;
    for (const char* name : {"b.txt", "c.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(fs.open_log(path(name), log), FsError::link);
        EXPECT_EQ(fs.set_rights(path(name), protected_rights), FsError::link);
        EXPECT_EQ(box->set_file_rights(name, protected_rights), FsError::link);
        EXPECT_EQ(box->inherit_file_rights(name), FsError::link);
        // Nor copied, by an elevated Setup, to where others read it.
        EXPECT_EQ(fs.copy_file(path(name), path("z.txt")), FsError::link);
        EXPECT_EQ(content_of("z.txt"), "<missing>");
    }
    EXPECT_EQ(content_of("b.txt"), "victim");
    // Removing one name leaves the other, and the file has one name again.
    EXPECT_EQ(box->remove("c.txt"), FsError::ok);
    EXPECT_EQ(content_of("b.txt"), "victim");
    ASSERT_EQ(box->entry_facts("b.txt", facts), FsError::ok);
    EXPECT_EQ(facts.links, 1u);
    EXPECT_EQ(fs.open_log(path("b.txt"), log), FsError::ok);
}

TEST_F(HeldFolderTest, TheLogIsOpenedOnceAndWrittenInPlace) {
    std::unique_ptr<LogFile> log;
    ASSERT_EQ(fs.create_directory(path("sub")), FsError::ok);
    EXPECT_EQ(fs.open_log(path("sub"), log), FsError::access_denied);
    EXPECT_EQ(fs.open_log(path("none\\x.txt"), log), FsError::path_not_found);
    // An existing log keeps its bytes until the first write.
    ASSERT_EQ(fs.write_file(path("x.txt"), "earlier run"), FsError::ok);
    ASSERT_EQ(fs.open_log(path("x.txt"), log), FsError::ok);
    EXPECT_EQ(content_of("x.txt"), "earlier run");
    ASSERT_EQ(log->write_all("a longer first version"), FsError::ok);
    ASSERT_EQ(log->write_all("second"), FsError::ok);
    EXPECT_EQ(content_of("x.txt"), "second");
    // Others may read it meanwhile, not replace it.
    EXPECT_EQ(fs.write_file(path("x.txt"), "other"), FsError::sharing_violation);
    log.reset();
    ASSERT_EQ(fs.open_log(path("y.txt"), log), FsError::ok);
    ASSERT_EQ(log->write_all("new"), FsError::ok);
    EXPECT_EQ(content_of("y.txt"), "new");
}

// Only the fake and Windows keep rights; Wine turns them into Unix bits.
TEST_F(HeldFolderTest, AFolderHasItsRightsFromItsCreation) {
    if (!rights_are_kept(path("probe.txt"))) GTEST_SKIP() << "rights are not kept here";
    std::unique_ptr<HeldFolder> sub;
    ASSERT_EQ(box->create("sub", protected_rights, sub), FsError::ok);
    EXPECT_EQ(rights_text(path("sub")), security_descriptor_text(protected_rights));
    FileRights other = protected_rights;
    other.rules.pop_back();
    EXPECT_EQ(sub->set_rights(other), FsError::ok);
    EXPECT_EQ(rights_text(path("sub")), security_descriptor_text(other));
    ASSERT_EQ(fs.write_file(path("sub\\x.txt"), "1"), FsError::ok);
    EXPECT_EQ(sub->set_file_rights("x.txt", protected_rights), FsError::ok);
    EXPECT_EQ(rights_text(path("sub\\x.txt")), security_descriptor_text(protected_rights));
}

}  // namespace
}  // namespace vh::testing

namespace vh::testing {
namespace {

// A repair gives an alias file made under older rights only what its folder
// now gives, CREATOR OWNER's rule its owner's; the file and its bytes stay.
TEST_F(HeldFolderTest, AFileTakesOnlyWhatItsFolderGivesAndStays) {
    const FileRights alias_folder{Trustee::administrators,
                                  {{Trustee::system, Access::full_control, Reach::this_and_contents},
                                   {Trustee::administrators, Access::full_control,
                                    Reach::this_and_contents},
                                   {Trustee::users, Access::read_execute_add_files, Reach::this_only},
                                   {Trustee::users, Access::read_execute, Reach::files_only},
                                   {Trustee::creator_owner, Access::modify, Reach::files_only}}};
    std::unique_ptr<HeldFolder> sub;
    ASSERT_EQ(box->create("sub", alias_folder, sub), FsError::ok);
    ASSERT_EQ(fs.write_file(path("sub\\x.txt"), "notepad.exe\r\n"), FsError::ok);
    ASSERT_EQ(fs.set_rights(path("sub\\x.txt"), protected_rights), FsError::ok);
    EXPECT_EQ(sub->inherit_file_rights("x.txt"), FsError::ok) << fs.windows_error(FsError::other);
    EXPECT_EQ(sub->inherit_file_rights("missing"), FsError::file_not_found);
    EXPECT_EQ(content_of("sub\\x.txt"), "notepad.exe\r\n");
}

}  // namespace
}  // namespace vh::testing
