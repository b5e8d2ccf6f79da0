// The simulated machine kept in a JSON file between runs of the program.
#pragma once

#include <nlohmann/json.hpp>

#include <calvoro/guid.h>

#include <filesystem>
#include <optional>
#include <utility>

namespace calvoro_cli {

/// An open file descriptor, closed when the owner goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    /// Closes now and reports whether the close succeeded.
    bool Close();

private:
    int fd_;
};

/// The default state file: $XDG_STATE_HOME/calvoro/machine.json, or
/// ~/.local/state/calvoro/machine.json when XDG_STATE_HOME is not set.
std::filesystem::path DefaultStatePath();

/// Holds the state file's lock from loading to saving, so that concurrent runs take turns
/// and none loses another's change.
class MachineFile {
public:
    /// Locks the file and loads it into the simulated machine; no file means the seeded
    /// machine. Throws StateFileError, leaving the file as it is, when it cannot be read or
    /// is not a state file.
    explicit MachineFile(std::filesystem::path path);

    /// Writes the machine back when it differs from what was loaded: to a temporary file in
    /// the folder of the file itself (through a symbolic link), flushed to disk, given the
    /// old file's mode, then renamed over it. Throws StateFileError, and then puts the machine
    /// back as it was loaded, so that nothing unsaved is taken for kept.
    void SaveIfChanged();

    /// The state file, as named.
    const std::filesystem::path& Path() const { return path_; }

private:
    void Write(const nlohmann::json& state) const;

    std::filesystem::path path_;
    Descriptor lock_;  // held from loading to the end of the run
    nlohmann::json loaded_;
};

/// The state file for a run that lasts (`watch`): locked only while it is read or written,
/// so that other runs go on changing the machine meanwhile.
class FollowedMachineFile {
public:
    /// Loads the file into the simulated machine, as MachineFile does.
    explicit FollowedMachineFile(std::filesystem::path path);

    /// Loads the file again when it changed since it was last loaded (its time, size or
    /// identity): what other runs changed reaches the machine, and the watchers are told.
    void Follow();

    /// Writes what a decision of the watcher changes into the file, leaving the rest of it as
    /// other runs left it: `running`, the plan the decision left active (none when it changed
    /// no plan), and the injected statuses it used up. The plan is the decision's, not read
    /// back from the machine: Follow may have reloaded the file since the watcher applied it.
    void KeepDecision(const std::optional<Calvoro::Guid>& running);

private:
    struct Stamp {
        long long modified = 0, size = -1, inode = -1;
        friend bool operator==(const Stamp& a, const Stamp& b) {
            return a.modified == b.modified && a.size == b.size && a.inode == b.inode;
        }
    };
    Stamp Current() const;
    void Load();

    std::filesystem::path path_;
    Stamp loaded_;
};

}  // namespace calvoro_cli
