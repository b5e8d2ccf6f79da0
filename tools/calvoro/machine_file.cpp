#include "machine_file.h"

#include <calvoro/simulation.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "errors.h"
#include "state_json.h"
#include "text.h"

namespace calvoro_cli {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void FailWith(const fs::path& path, const std::string& problem) {
    throw StateFileError("state file " + path.string() + ": " + problem);
}

std::string SystemError() { return std::strerror(errno); }

// Writes all of `text` to the descriptor, or says why not.
void WriteAll(int fd, const std::string& text, const fs::path& path) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            FailWith(path, "cannot write: " + SystemError());
        }
        done += static_cast<std::size_t>(written);
    }
}

namespace Sim = Calvoro::Simulation;

// The machine as the file keeps it: its state, the statuses injected and not used up, and
// the registry's refusals.
nlohmann::json MachineJson() {
    nlohmann::json document = StateToJson(Sim::Snapshot());
    const std::vector<Sim::InjectedStatus> faults = Sim::InjectedStatuses();
    if (!faults.empty()) {
        document["faults"] = FaultsToJson(faults);
    }
    for (const Sim::RefusedAccess& refused : Sim::RefusedAccesses()) {
        nlohmann::json entry{{"key", ToUtf8(refused.keyPath)}};
        if (refused.valueName) {
            entry["value"] = ToUtf8(*refused.valueName);
        }
        document["refused"].push_back(entry);
    }
    return document;
}

// The registry's refusals that the file keeps: each a key, with the value refused or none.
void RefuseAsKept(const nlohmann::json& document) {
    if (!document.contains("refused")) {
        return;
    }
    const auto text = [](const nlohmann::json& entry, const char* field) {
        if (!entry.is_object() || !entry.contains(field) || !entry[field].is_string()) {
            throw std::invalid_argument(std::string("a refusal without a \"") + field + "\" text");
        }
        try {
            return ToUtf16(entry[field].get<std::string>(), field);
        } catch (const UsageError& error) {
            throw std::invalid_argument(std::string("a refusal's ") + error.what());
        }
    };
    if (!document["refused"].is_array()) {
        throw std::invalid_argument("\"refused\" is not a list");
    }
    for (const nlohmann::json& entry : document["refused"]) {
        if (entry.is_object() && entry.contains("value")) {
            Sim::RefuseValueAccess(text(entry, "key"), text(entry, "value"));
        } else {
            Sim::RefuseKeyAccess(text(entry, "key"));
        }
    }
}

// The injected statuses become `faults`, and only they.
void InjectOnly(const std::vector<Sim::InjectedStatus>& faults) {
    Sim::ClearFaults();
    for (const Sim::InjectedStatus& fault : faults) {
        Sim::InjectStatus(fault.operation, fault.status, fault.repeat, fault.callsToSkip);
    }
}

void LoadMachine(const nlohmann::json& document) {
    const Sim::MachineState state = StateFromJson(document);
    const auto faults = document.contains("faults") ? FaultsFromJson(document["faults"])
                                                    : std::vector<Sim::InjectedStatus>{};
    Sim::Restore(state);
    InjectOnly(faults);
    RefuseAsKept(document);
}

}  // namespace

Descriptor::~Descriptor() { Close(); }

bool Descriptor::Close() {
    if (fd_ < 0) {
        return true;
    }
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
}

fs::path DefaultStatePath() {
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    if (stateHome != nullptr && *stateHome != '\0') {
        return fs::path(stateHome) / "calvoro" / "machine.json";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        throw StateFileError("neither XDG_STATE_HOME nor HOME is set; name a file with --state");
    }
    return fs::path(home) / ".local" / "state" / "calvoro" / "machine.json";
}

MachineFile::MachineFile(fs::path path) : path_(std::move(path)) {
    std::error_code error;
    if (path_.has_parent_path()) {
        fs::create_directories(path_.parent_path(), error);
        if (error) {
            FailWith(path_, "cannot create its folder: " + error.message());
        }
    }
    // A lock file beside the state file: the state file itself is replaced on every save.
    const fs::path lockPath = path_.string() + ".lock";
    Descriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid()) {
        FailWith(path_, "cannot open the lock file " + lockPath.string() + ": " + SystemError());
    }
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            FailWith(path_, "cannot lock: " + SystemError());
        }
    }

    if (fs::is_directory(path_, error)) {
        FailWith(path_, "is a folder, not a file");
    }
    {
        std::ifstream in(path_, std::ios::binary);
        if (!in) {
            if (fs::exists(path_)) {
                FailWith(path_, "cannot read: " + SystemError());
            }
            Calvoro::Simulation::Reset();
        } else {
            nlohmann::json document;
            try {
                document = nlohmann::json::parse(in);
            } catch (const nlohmann::json::exception& parseError) {
                FailWith(path_, std::string("not valid JSON: ") + parseError.what());
            }
            try {
                LoadMachine(document);
            } catch (const StateFileError& shapeError) {
                FailWith(path_, shapeError.what());
            } catch (const std::invalid_argument& restoreError) {
                FailWith(path_, restoreError.what());
            }
        }
    }
    loaded_ = MachineJson();
    lock_ = std::move(lock);
}

void MachineFile::SaveIfChanged() {
    nlohmann::json current;
    try {
        current = MachineJson();
    } catch (const std::invalid_argument& error) {
        FailWith(path_, std::string("cannot save the machine: ") + error.what());
    }
    if (current == loaded_) {
        return;
    }
    try {
        Write(current);
    } catch (...) {
        LoadMachine(loaded_);
        throw;
    }
    loaded_ = std::move(current);
}

void MachineFile::Write(const nlohmann::json& state) const {
    // A link stays a link: the file it leads to is the one replaced, and keeps its mode.
    std::error_code error;
    fs::path target = path_;
    for (int hops = 0; fs::is_symlink(target, error); ++hops) {
        const fs::path next = fs::read_symlink(target, error);
        if (error || hops == 40) {
            FailWith(path_,
                     "cannot follow its link: " + (error ? error.message() : "too many links"));
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;

    std::string temporary = target.string() + ".XXXXXX";
    Descriptor file(::mkstemp(temporary.data()));
    if (!file.valid()) {
        FailWith(path_, "cannot create a temporary file beside it: " + SystemError());
    }
    try {
        if (exists && ::fchmod(file.get(), existing.st_mode & 07777) != 0) {
            FailWith(path_, "cannot give the new file the old one's mode: " + SystemError());
        }
        WriteAll(file.get(), state.dump(2) + "\n", path_);
        if (::fsync(file.get()) != 0) {
            FailWith(path_, "cannot flush: " + SystemError());
        }
        if (!file.Close()) {
            FailWith(path_, "cannot close: " + SystemError());
        }
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            FailWith(path_, "cannot replace it: " + SystemError());
        }
    } catch (...) {
        ::unlink(temporary.c_str());  // the old file stays as it was
        throw;
    }
}

FollowedMachineFile::FollowedMachineFile(fs::path path) : path_(std::move(path)) { Load(); }

FollowedMachineFile::Stamp FollowedMachineFile::Current() const {
    struct stat now {};
    if (::stat(path_.c_str(), &now) != 0) {
        return {};
    }
    return {static_cast<long long>(now.st_mtim.tv_sec) * 1000000000LL + now.st_mtim.tv_nsec,
            static_cast<long long>(now.st_size), static_cast<long long>(now.st_ino)};
}

void FollowedMachineFile::Load() {
    // Stamped before it is read: a change made while it is read is loaded next time.
    const Stamp stamp = Current();
    {
        // cppcheck-suppress unreadVariable ; loading under the lock, released again, is its work
        const MachineFile loaded(path_);
    }
    loaded_ = stamp;
}

void FollowedMachineFile::Follow() {
    if (!(Current() == loaded_)) {
        Load();
    }
}

void FollowedMachineFile::KeepDecision(const std::optional<Calvoro::Guid>& running) {
    const std::optional<Calvoro::Guid>& active = running;
    const std::vector<Sim::InjectedStatus> faults = Sim::InjectedStatuses();
    MachineFile file(path_);  // the machine is now what the file holds
    Sim::MachineState state = Sim::Snapshot();
    const bool installed =
        active && std::any_of(state.plans.begin(), state.plans.end(),
                              [&](const Sim::Plan& plan) { return plan.id == *active; });
    if (installed && state.activePlan != active) {
        state.activePlan = active;
        Sim::Restore(state);
    }
    InjectOnly(faults);
    file.SaveIfChanged();
}

}  // namespace calvoro_cli
