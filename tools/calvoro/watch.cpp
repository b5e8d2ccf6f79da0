#include "watch.h"

#include <calvoro/power_plans.h>

#include <cerrno>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>

#include "arguments.h"
#include "command_line.h"

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <csignal>
#include <pthread.h>
#endif

namespace calvoro_cli {
namespace {

using Calvoro::WatchAction;
using Calvoro::WatchDecision;

constexpr std::chrono::milliseconds kFollowInterval{250};  // four reads a second at most

#if defined(_WIN32)
// Ctrl+C, Ctrl+Break and the console closing ask the watch to stop, and so do logoff and
// shutdown, which reach a program that uses user32 (and calvorow, which has no console) only
// as WM_ENDSESSION to a window: a hidden one has its own thread. For all but Ctrl+C and
// Ctrl+Break, Windows ends the process when the handler returns: it waits until stopped.
class StopRequest {
public:
    StopRequest() {
        std::promise<HWND> created;
        std::future<HWND> window = created.get_future();
        session_ =
            std::thread([created = std::move(created)]() mutable { RunSessionWindow(created); });
        window_ = window.get();
        ::SetConsoleCtrlHandler(&ConsoleHandler, TRUE);
    }
    ~StopRequest() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        changed_.notify_all();
        ::SetConsoleCtrlHandler(&ConsoleHandler, FALSE);
        if (window_ != nullptr) {
            ::PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        session_.join();
    }
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    /// True once a stop was asked for, waiting up to `timeout` (none: until then).
    bool Wait(std::optional<std::chrono::milliseconds> timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!timeout) {
            changed_.wait(lock, [] { return requested_; });
            return true;
        }
        return changed_.wait_for(lock, *timeout, [] { return requested_; });
    }

private:
    // Asks for the stop; with `untilStopped`, returns only once the watch has stopped.
    static void Request(bool untilStopped) {
        std::unique_lock<std::mutex> lock(mutex_);
        requested_ = true;
        changed_.notify_all();
        if (untilStopped) {
            changed_.wait(lock, [] { return finished_; });
        }
    }

    static BOOL WINAPI ConsoleHandler(DWORD type) {
        Request(type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT);
        return TRUE;
    }

    static LRESULT CALLBACK SessionProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
        switch (message) {
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam != FALSE) {
                Request(true);
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
    }

    // Without a window (no desktop), the thread ends at once, and only the console stops it.
    static void RunSessionWindow(std::promise<HWND>& created) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &SessionProcedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CalvoroWatchSession";
        ::RegisterClassW(&windowClass);
        const HWND window =
            ::CreateWindowExW(0, windowClass.lpszClassName, L"calvoro watch", 0, 0, 0, 0, 0,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
        created.set_value(window);
        MSG message;
        while (window != nullptr && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    static inline std::mutex mutex_;
    static inline std::condition_variable changed_;
    static inline bool requested_ = false;
    static inline bool finished_ = false;
    HWND window_ = nullptr;
    std::thread session_;
};
#else
// SIGINT, SIGTERM and SIGHUP ask the watch to stop. They are blocked before the watcher's
// thread starts, which inherits the mask, and taken here with sigtimedwait.
class StopRequest {
public:
    StopRequest() {
        sigemptyset(&signals_);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&signals_, signal);
        }
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    }
    // The signals stay blocked: the process is about to end, and one that came meanwhile
    // must not end it with another status.
    ~StopRequest() = default;
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    bool Wait(std::optional<std::chrono::milliseconds> timeout) {
        for (;;) {
            int taken = -1;
            if (!timeout) {
                int signal = 0;
                taken = sigwait(&signals_, &signal) == 0 ? signal : -1;
            } else {
                const auto count = timeout->count();
                const timespec wait{static_cast<std::time_t>(count / 1000),
                                    static_cast<long>((count % 1000) * 1000000)};
                taken = sigtimedwait(&signals_, nullptr, &wait);
                if (taken < 0 && errno == EAGAIN) {
                    return false;
                }
            }
            if (taken > 0) {
                return true;
            }
        }
    }

private:
    sigset_t signals_{};
};
#endif

}  // namespace

int Watch(const WatchRequest& request, const Followed& followed, const Output& given) {
    std::ofstream logFile;
    if (request.log) {
        std::error_code ignored;  // a folder that cannot be made fails the open below
        std::filesystem::create_directories(request.log->parent_path(), ignored);
        logFile.open(*request.log, std::ios::app | std::ios::binary);
        if (!logFile) {
            throw std::runtime_error("cannot open the log " + request.log->u8string());
        }
    }
    const Output output{request.log ? logFile : given.out, request.log ? logFile : given.err,
                        given.json, given.keep, given.stateFile};
    const bool once = request.once;
    const std::chrono::milliseconds debounce = request.debounce;
    std::mutex lines;
    const auto say = [&](const WatchDecision& decision) {
        std::lock_guard<std::mutex> lock(lines);
        output.out << DecisionLine(decision, output.json) << std::endl;  // at once, for a log
    };
    if (once) {
        const WatchDecision decision = Calvoro::ApplyRecordedPlan();
        if (followed.keep) {
            followed.keep(decision);
        }
        say(decision);
        const bool done = decision.action == WatchAction::Applied ||
                          decision.action == WatchAction::AlreadyActive ||
                          decision.action == WatchAction::NoneRecorded;
        return done ? 0 : 1;
    }

    StopRequest stop;
    Calvoro::PowerWatcher watcher(debounce, [&](const WatchDecision& decision) {
        if (decision.action != WatchAction::Stopped && followed.keep) {
            try {
                followed.keep(decision);
            } catch (const std::exception& error) {
                std::lock_guard<std::mutex> lock(lines);
                output.err << "calvoro: " << error.what() << '\n';
            }
        }
        say(decision);
    });
    if (!watcher.Notified()) {
        std::lock_guard<std::mutex> lock(lines);
        output.err << "calvoro: this system does not tell of changes of the power source; "
                      "the plan follows it only at start and after resume\n";
    }
    if (followed.follow) {
        std::string failure;  // said once, not four times a second
        while (!stop.Wait(kFollowInterval)) {
            try {
                followed.follow();
                failure.clear();
            } catch (const std::exception& error) {
                if (failure != error.what()) {
                    failure = error.what();
                    std::lock_guard<std::mutex> lock(lines);
                    output.err << "calvoro: " << failure << '\n';
                }
            }
        }
    } else {
        stop.Wait(std::nullopt);
    }
    watcher.Stop();
    return 0;
}

CLI::App* AddWatchCommand(CommandLine& line, Followed& followed) {
    struct WatchOptions {
        bool once = false;
        std::string debounce = "2";
        std::optional<std::string> log;
        bool json = false;
    };
    auto& watching = line.Keep<WatchOptions>();
    CLI::App* watch = line.app.add_subcommand(
        "watch",
        "Apply the plan recorded for the power source: now, when the source changes and "
        "after resume; a plan applied by hand stays until the next change. One line per "
        "decision, until Ctrl+C or SIGTERM");
    watch->add_flag("--once", watching.once, "Apply the plan for the current source and exit");
    watch->add_option("--debounce", watching.debounce,
                      "SECONDS a change must last before it counts (default 2)");
    watch->add_option("--log", watching.log,
                      "Append the lines to FILE (for calvorow, which has no console)");
    CommandLine::AddJson(watch, watching.json);
    line.Runs(watch, watching.json, [&watching, &followed](const Output& o) {
        const WatchRequest request{
            watching.once, ParseDebounce(watching.debounce),
            watching.log ? std::optional(PathArgument(*watching.log)) : std::nullopt};
        return Watch(request, followed, o);
    });
    return watch;
}

}  // namespace calvoro_cli
