#include "support/run_program.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>

std::string make_temp_folder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pi_drm_test_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

void remove_folder(const std::string& folder)
{
    std::error_code ignored;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(folder, ignored);
}

ProgramRun run_pi_drm_in(const std::string& folder, const std::string& input, int seconds)
{
    ProgramRun run;
    run.folder = folder;

    int to_child[2];
    int from_child[2];
    if (pipe(to_child) != 0 || pipe(from_child) != 0) {
        std::perror("pipe");
        std::abort();
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(to_child[0], STDIN_FILENO);
        dup2(from_child[1], STDOUT_FILENO);
        close(to_child[0]);
        close(to_child[1]);
        close(from_child[0]);
        close(from_child[1]);
        // A test that lends the process another effective user runs the
        // program wholly as that user: a program started with differing
        // real and effective users counts as privileged, and a sanitizer
        // build then refuses its own checks.
        if (getegid() != getgid() && setregid(getegid(), getegid()) != 0) {
            _exit(127);
        }
        if (geteuid() != getuid() && setreuid(geteuid(), geteuid()) != 0) {
            _exit(127);
        }
        if (chdir(folder.c_str()) != 0) {
            _exit(127);
        }
        execl(PI_DRM_PATH, PI_DRM_PATH, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(to_child[0]);
    close(from_child[1]);
    std::signal(SIGPIPE, SIG_IGN);
    fcntl(to_child[1], F_SETFL, O_NONBLOCK);
    fcntl(from_child[0], F_SETFL, O_NONBLOCK);

    // Feed the input and collect the output together, so that neither pipe
    // can fill up and block the other side.
    std::size_t written = 0;
    int in_fd = to_child[1];
    if (input.empty()) {
        close(in_fd);
        in_fd = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    bool output_open = true;
    while (output_open) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            run.timed_out = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{from_child[0], POLLIN, 0}, {in_fd, POLLOUT, 0}};
        const int ready = poll(fds, in_fd >= 0 ? 2 : 1, static_cast<int>(left < 1000 ? left : 1000));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buffer[65536];
            const ssize_t got = read(from_child[0], buffer, sizeof buffer);
            if (got > 0) {
                run.console.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                output_open = false;
            }
        }
        if (in_fd >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t put = write(in_fd, input.data() + written, input.size() - written);
            if (put > 0) {
                written += static_cast<std::size_t>(put);
            }
            if (put < 0 && errno != EAGAIN && errno != EINTR) {
                written = input.size();
            }
            if (written == input.size()) {
                close(in_fd);
                in_fd = -1;
            }
        }
    }
    if (in_fd >= 0) {
        close(in_fd);
    }
    close(from_child[0]);

    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        run.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    return run;
}

ProgramRun run_pi_drm(const std::string& input, int seconds)
{
    return run_pi_drm_in(make_temp_folder(), input, seconds);
}

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool file_exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::string visible(const std::string& text)
{
    std::string out;
    for (const unsigned char ch : text) {
        if (ch == '\n') {
            out += "\\n\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else if (ch == '\t') {
            out += "\\t";
        } else if (ch < 32 || ch >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", ch);
            out += hex;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return "|" + out + "|";
}
