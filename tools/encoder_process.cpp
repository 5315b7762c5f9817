// encoder_process.cpp -- spawning the encoder without a shell, so file names need no quoting.
#include "encoder_process.h"

#include <cerrno>     // Required for: errno
#include <cstdlib>    // Required for: getenv()
#include <cstring>    // Required for: strerror()
#include <spawn.h>    // Required for: posix_spawnp()
#include <sys/wait.h> // Required for: waitpid(), WIFEXITED()
#include <unistd.h>   // Required for: pipe(), access(), close()

extern char** environ;

bool findOnPath(const char* program)
{
    const char* path = getenv("PATH");
    if (!path)
        return false;
    std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (folder.empty())
            folder = "."; // An empty entry means the current folder
        if (access((folder + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool startEncoder(char* const argv[], EncoderProcess* encoder, std::string* error)
{
    *encoder = EncoderProcess{argv[0], 0, nullptr, nullptr};
    int ends[2];
    FILE* messages = tmpfile();
    if (!messages || pipe(ends) != 0) {
        *error = std::string("cannot start ") + argv[0] + ": " + strerror(errno);
        if (messages)
            fclose(messages);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(messages), STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, ends[1]);
    pid_t pid = 0;
    const int status = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
    FILE* input = status == 0 ? fdopen(ends[1], "wb") : nullptr;
    if (!input) {
        *error = std::string("cannot start ") + argv[0] + ": " + strerror(status ? status : errno);
        close(ends[1]);
        if (status == 0)
            waitpid(pid, nullptr, 0);
        fclose(messages);
        return false;
    }
    encoder->pid = pid;
    encoder->input = input;
    encoder->messages = messages;
    return true;
}

// The last non-empty line the encoder printed, or "" when it printed nothing.
static std::string lastMessage(FILE* messages)
{
    std::string last, line;
    rewind(messages);
    for (int c = getc(messages); c != EOF; c = getc(messages)) {
        if (c == '\n' || c == '\r') {
            if (!line.empty())
                last = line;
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    return line.empty() ? last : line;
}

bool finishEncoder(EncoderProcess* encoder, std::string* error)
{
    if (encoder->pid == 0)
        return true;
    // A failed close here (a broken pipe) shows again in the exit status, which says more.
    fclose(encoder->input);
    int status = 0;
    pid_t waited;
    do
        waited = waitpid(encoder->pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    const std::string message = lastMessage(encoder->messages);
    fclose(encoder->messages);
    encoder->pid = 0;
    encoder->input = nullptr;
    encoder->messages = nullptr;
    if (waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    if (waited < 0)
        *error = "lost " + encoder->program + ": " + strerror(errno);
    else if (WIFSIGNALED(status))
        *error = encoder->program + " was killed by signal " + std::to_string(WTERMSIG(status));
    else
        *error = encoder->program + " failed with exit status " + std::to_string(WEXITSTATUS(status));
    if (!message.empty())
        *error += ": " + message;
    return false;
}
