#include "hardening/running_program.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace ascent::testing {

namespace {

void make_pipe(int ends[2]) {
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
}

/// In the child: the standard streams, the limits, the folder, then the program.
[[noreturn]] void become_program(const Launch& launch, int input, int output, int errors) {
  const int in = launch.input_file.empty() ? input : ::open(launch.input_file.c_str(), O_RDONLY);
  if (in < 0 || ::dup2(in, STDIN_FILENO) < 0 || ::dup2(errors, STDERR_FILENO) < 0) _exit(127);
  if (launch.close_standard_output) {
    ::close(STDOUT_FILENO);
  } else {
    const int out = launch.output_file.empty()
                        ? output
                        : ::open(launch.output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0) _exit(127);
  }
  if (launch.file_size_limit >= 0) {
    // Ignored, SIGXFSZ lets a write beyond the limit fail with EFBIG after
    // writing the part that fits, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(launch.file_size_limit),
                       static_cast<rlim_t>(launch.file_size_limit)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
  }
  // The test's own handling of signals must not reach the program.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, SIG_DFL);
  if (::chdir(launch.folder.c_str()) != 0) _exit(127);
  std::vector<char*> argv;
  std::string program = launch.program;
  argv.push_back(program.data());
  std::vector<std::string> arguments = launch.arguments;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  _exit(127);
}

}  // namespace

Launch launch_of(std::string program, std::filesystem::path folder,
                 std::vector<std::string> arguments) {
  Launch launch;
  launch.program = std::move(program);
  launch.folder = std::move(folder);
  launch.arguments = std::move(arguments);
  return launch;
}

RunningProgram::RunningProgram(const Launch& launch) {
  int input[2];
  int output[2];
  int errors[2];
  make_pipe(input);
  make_pipe(output);
  make_pipe(errors);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("cannot start " + launch.program);
  if (pid_ == 0) become_program(launch, input[0], output[1], errors[1]);
  ::close(input[0]);
  ::close(output[1]);
  ::close(errors[1]);
  input_ = input[1];
  output_pipe_ = output[0];
  error_pipe_ = errors[0];
  if (!launch.input_file.empty()) end_input();
}

RunningProgram::~RunningProgram() {
  if (!ended_) {
    ::kill(pid_, SIGKILL);
    wait();
  }
  for (const int descriptor : {input_, output_pipe_, error_pipe_}) {
    if (descriptor >= 0) ::close(descriptor);
  }
}

void RunningProgram::answer(std::string_view text) {
  // The program may have ended: its pipe is then broken, which the test sees in its status.
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
  while (!text.empty()) {
    const ssize_t n = ::write(input_, text.data(), text.size());
    if (n <= 0) break;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  std::signal(SIGPIPE, previous);
}

void RunningProgram::end_input() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

void RunningProgram::close_output() {
  if (output_pipe_ >= 0) ::close(output_pipe_);
  output_pipe_ = -1;
}

void RunningProgram::send(int signal) const {
  ::kill(pid_, signal);
}

void RunningProgram::interrupt(int signal) {
  for (int attempt = 0; attempt < 50 && (output_pipe_ >= 0 || error_pipe_ >= 0); ++attempt) {
    send(signal);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < until && read_some(std::chrono::milliseconds(20))) {
    }
  }
}

bool RunningProgram::read_some(std::chrono::milliseconds timeout) {
  if (output_pipe_ < 0 && error_pipe_ < 0) return false;
  pollfd streams[2] = {{output_pipe_, POLLIN, 0}, {error_pipe_, POLLIN, 0}};
  if (::poll(streams, 2, static_cast<int>(timeout.count())) <= 0) return true;
  bool open = false;
  for (pollfd& stream : streams) {
    if (stream.fd < 0) continue;
    if ((stream.revents & (POLLIN | POLLHUP)) == 0) {
      open = true;
      continue;
    }
    char buffer[65536];
    const ssize_t n = ::read(stream.fd, buffer, sizeof buffer);
    if (n > 0) {
      (stream.fd == output_pipe_ ? output_ : errors_).append(buffer, static_cast<std::size_t>(n));
      open = true;
    } else {
      ::close(stream.fd);
      (stream.fd == output_pipe_ ? output_pipe_ : error_pipe_) = -1;
    }
  }
  return open;
}

bool RunningProgram::wait_for_output(std::string_view text, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (output_.find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || output_pipe_ < 0) return false;
    if (!read_some(std::min(left, std::chrono::milliseconds(100)))) return false;
  }
  return true;
}

bool RunningProgram::wait_until_sleeping_in(std::string_view kernel_wait,
                                            std::chrono::milliseconds timeout) const {
  const std::string path = "/proc/" + std::to_string(pid_) + "/wchan";
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    std::string wchan;
    std::getline(std::ifstream(path), wchan);
    if (wchan.find(kernel_wait) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

void RunningProgram::fill_output_pipe() const {
  // The program's own descriptor, opened again: a second writer of the same pipe.
  const std::string path = "/proc/" + std::to_string(pid_) + "/fd/1";
  const int pipe = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (pipe < 0) throw std::runtime_error("cannot open " + path);
  // Pages while they fit, then single bytes until the last page is full too.
  const std::string page(4096, '.');
  for (const std::size_t size : {page.size(), std::size_t{1}}) {
    while (::write(pipe, page.data(), size) > 0) {
    }
  }
  ::close(pipe);
}

void RunningProgram::take_output(std::size_t bytes) {
  std::string part(bytes, '\0');
  const ssize_t n = ::read(output_pipe_, part.data(), bytes);
  if (n > 0) output_.append(part, 0, static_cast<std::size_t>(n));
}

bool RunningProgram::ends_unread(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
      ended_ = true;
      signalled_ = WIFSIGNALED(raw);
      status_ = signalled_ ? 128 + WTERMSIG(raw) : WEXITSTATUS(raw);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

int RunningProgram::wait(std::chrono::milliseconds limit) {
  if (ended_) return status_;
  // A program that does not end by itself within the limit hangs: killed.
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (output_pipe_ >= 0 || error_pipe_ >= 0) {
    read_some(std::chrono::milliseconds(100));
    if (std::chrono::steady_clock::now() > deadline) ::kill(pid_, SIGKILL);
  }
  int raw = 0;
  ::waitpid(pid_, &raw, 0);
  ended_ = true;
  signalled_ = WIFSIGNALED(raw);
  status_ = signalled_ ? 128 + WTERMSIG(raw) : WEXITSTATUS(raw);
  return status_;
}

}  // namespace ascent::testing
