// encoder_process.h -- an external encoder fed through a pipe, with its messages kept aside.
#pragma once

#include <cstdio>
#include <string>

#include <sys/types.h> // Required for: pid_t

// A running encoder: what we write to its standard input, and where its stderr goes.
struct EncoderProcess {
    std::string program; // Its name, for messages
    pid_t pid;           // 0 when none is running
    FILE* input;         // Its standard input
    FILE* messages;      // A scratch file holding what it printed on stderr
};

// True when program names an executable file in one of the folders on PATH.
bool findOnPath(const char* program);

// Starts argv[0], found on PATH, with its stdin a pipe from us and its stderr kept aside.
// False with the reason in error when it cannot be started.
bool startEncoder(char* const argv[], EncoderProcess* encoder, std::string* error);

// Closes its input and waits for it. True when it exited with status 0; otherwise error
// says how it ended and the last line it printed.
bool finishEncoder(EncoderProcess* encoder, std::string* error);
