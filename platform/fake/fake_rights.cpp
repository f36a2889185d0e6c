// Owners and rights of the fake file system: what a new entry inherits,
// and whether an account may do something to an entry.
#include <algorithm>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_rights.h"

namespace vh {

namespace {

bool is_program_account(const std::string& account) {
    return account == "BA" || account == "SY" || account == "TI";
}

}  // namespace

std::vector<FakeFileSystem::Rule> FakeFileSystem::rules_of(const Node& node) const {
    if (!node.rights) return node.inherited;
    std::vector<Rule> rules;
    for (const AccessRule& rule : node.rights->rules) {
        Rule r{fake_rights::account_of(rule.trustee), fake_rights::of(rule.access)};
        r.to_files = rule.reach != Reach::this_only;
        r.to_folders = rule.reach == Reach::this_and_contents || rule.reach == Reach::contents_only;
        r.only_inherited = rule.reach == Reach::contents_only || rule.reach == Reach::files_only;
        rules.push_back(r);
    }
    return rules;
}

// A new entry takes its folder's rules that reach its kind; CREATOR OWNER's
// become its owner's, and a subfolder passes them on again.
std::shared_ptr<FakeFileSystem::Node> FakeFileSystem::new_entry(const Node& parent,
                                                                const std::string& name,
                                                                bool folder,
                                                                const std::string& owner) const {
    auto node = std::make_shared<Node>();
    node->name = name;
    node->attributes = folder ? attr::directory : attr::archive;
    node->owner = owner;
    for (const Rule& rule : rules_of(parent)) {
        if (!(folder ? rule.to_folders : rule.to_files)) continue;
        Rule own = rule;
        own.only_inherited = false;
        own.to_files = own.to_folders = folder;
        if (rule.who == "CO") {
            own.who = owner;
            own.to_files = own.to_folders = false;
            if (folder) {
                Rule passed = rule;
                passed.only_inherited = true;
                node->inherited.push_back(passed);
            }
        }
        node->inherited.push_back(own);
    }
    return node;
}

bool FakeFileSystem::allowed(const std::string& account, const Node* parent, const Node& node,
                             std::uint32_t rights) const {
    if (is_program_account(account)) return true;  // full control, and privileges besides
    const auto member = [&](const std::string& who) {
        // An administrator's unelevated token does not count as one.
        return who == account || who == "BU" || who == "AU";
    };
    std::uint32_t granted = node.owner == account ? fake_rights::change_rights : 0;
    for (const Rule& rule : rules_of(node))
        if (!rule.only_inherited && member(rule.who)) granted |= rule.rights;
    if ((rights & fake_rights::remove) && !(granted & fake_rights::remove) && parent) {
        std::uint32_t from_parent = 0;
        for (const Rule& rule : rules_of(*parent))
            if (!rule.only_inherited && member(rule.who)) from_parent |= rule.rights;
        if (from_parent & fake_rights::remove_child) granted |= fake_rights::remove;
    }
    return (granted & rights) == rights;
}

OwnerKind FakeFileSystem::owner_kind(const std::string& owner) const {
    if (owner == "BA") return OwnerKind::administrators;
    if (owner == "SY") return OwnerKind::system;
    if (owner == "TI") return OwnerKind::trusted_installer;
    if (std::count(administrators_.begin(), administrators_.end(), owner))
        return OwnerKind::administrator;
    return OwnerKind::other;
}

EntryFacts FakeFileSystem::facts_of(const Node& node) const {
    EntryFacts facts;
    facts.attributes = node.attributes | (node.is_link() ? attr::reparse_point : 0);
    facts.owner = owner_kind(node.owner);
    facts.links = node.links;
    return facts;
}

}  // namespace vh
