#include <algorithm>

#include "link/diagnosis/linux_checks.h"
#include "link/diagnosis/system_files.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

constexpr unsigned kOwnerReadWrite = 0600;
constexpr unsigned kGroupReadWrite = 0060;
constexpr unsigned kOthersReadWrite = 0006;

bool Contains(const std::vector<unsigned>& ids, unsigned id) {
  return std::ranges::find(ids, id) != ids.end();
}

// As the kernel decides an open for reading and writing: the owner's bits for the owner, else the
// access list's entries and the group's bits, else the others'.
bool MayOpen(const Identity& self, const FileOwnership& owner, const AccessList& list) {
  if (self.uid == 0) return true;
  if (self.uid == owner.uid) return (owner.mode & kOwnerReadWrite) == kOwnerReadWrite;
  if (Contains(list.users, self.uid)) return true;
  if (Contains(self.groups, owner.gid) && (owner.mode & kGroupReadWrite) == kGroupReadWrite) return true;
  if (std::ranges::any_of(list.groups, [&](unsigned gid) { return Contains(self.groups, gid); })) return true;
  return (owner.mode & kOthersReadWrite) == kOthersReadWrite;
}

// "rw-rw---- root:dialout"
std::string OwnershipText(const SystemRoot& root, const FileOwnership& owner) {
  std::string bits;
  for (int shift = 6; shift >= 0; shift -= 3) {
    const unsigned part = owner.mode >> shift;
    bits += part & 4 ? 'r' : '-';
    bits += part & 2 ? 'w' : '-';
    bits += part & 1 ? 'x' : '-';
  }
  return bits + " " + UserName(root, owner.uid) + ":" + GroupName(root, owner.gid);
}

std::string AccessFix(const LinuxSystem& system, const FileOwnership& owner, const std::string& user) {
  const std::string group = GroupName(system.root, owner.gid);
  // Joining a group takes effect at the next login, not in the session that was open then.
  if (GroupListsUser(system.root, owner.gid, user)) {
    return Tr("Log out and in again: {1} was added to {2}, which a session gets only at login.",
              {user, group});
  }
  if (StationRule(system.root)) {
    return Tr(
        "Log in at the machine itself (the station's udev rule gives the port to the user at the desk) and "
        "plug "
        "the adapter in again, or: sudo usermod -aG {1} $USER, then log in again.",
        {group});
  }
  return Tr(
      "Install the station's udev rule (the quillon package) and plug the adapter in again, or: sudo usermod "
      "-aG {1} $USER, then log in again.",
      {group});
}

}  // namespace

std::vector<CheckResult> CheckTtyAccess(const LinuxSystem& system, std::span<const Ch340Adapter> adapters) {
  std::vector<CheckResult> results;
  for (const Ch340Adapter& adapter : adapters) {
    if (adapter.tty.empty()) continue;
    const std::string device = adapter.Device();
    CheckResult result{"tty-access", CheckVerdict::kPass, Tr("Opening {1}", {device}), {}, {}};
    const std::optional<FileOwnership> owner = system.root.Ownership(device);
    if (!owner) {
      result.verdict = CheckVerdict::kFail;
      result.found = Tr("{1} is not there, though the adapter has it", {device});
      result.fix = Tr("Plug the adapter in again.");
    } else if (MayOpen(system.self, *owner, system.root.ReadAccessList(device))) {
      result.found = Tr("this user may open it ({1})", {OwnershipText(system.root, *owner)});
    } else {
      const std::string user = UserName(system.root, system.self.uid);
      result.verdict = CheckVerdict::kFail;
      result.found =
          Tr("{1} may not open it ({2}): not in the group {3}, and no access as the user at the desk",
             {user, OwnershipText(system.root, *owner), GroupName(system.root, owner->gid)});
      result.fix = AccessFix(system, *owner, user);
    }
    results.push_back(std::move(result));
  }
  return results;
}

}  // namespace quillon
