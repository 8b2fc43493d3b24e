/* bench/spawn_measured.c — runs one program and prints what it cost, as wait4 reports it for
 * that child alone: exit status, user and system CPU time, peak resident memory, minor page
 * faults, wall time.
 *
 *   duopit_spawn_measured TIMEOUT_S STDIN STDOUT STDERR [--keep-environment] PROGRAM [ARG...]
 *
 * The program runs in the current directory with the three files as its standard handles
 * and an empty environment, or this process's own with --keep-environment. It is started from this small static process rather than from
 * the measuring script because the kernel counts, in a child's peak memory, the memory of
 * the process it was forked from: forked from a large interpreter, every program would seem
 * to need the interpreter's megabytes. A program still running after TIMEOUT_S seconds is
 * ended by SIGALRM. Prints one line on standard output:
 *
 *   exit=<code or 128+signal> user_us=<n> system_us=<n> maxrss_kib=<n> minflt=<n> wall_ns=<n>
 *
 * and ends with status 0; status 2 when it could not run the program at all. It measures
 * nothing else and judges nothing. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { first_program_argument = 5, exec_failed_status = 127 };

static long long now_ns(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

static long long microseconds(struct timeval t) {
  return (long long)t.tv_sec * 1000000LL + t.tv_usec;
}

/* In the child: put `path` on descriptor `target`, or end the child. */
static void open_onto(const char *path, int flags, int target) {
  const int fd = open(path, flags | O_CLOEXEC, 0644);
  if (fd < 0 || dup2(fd, target) < 0) {
    _exit(exec_failed_status);
  }
  close(fd);
}

int main(int argc, char **argv) {
  if (argc <= first_program_argument) {
    fprintf(stderr, "usage: %s TIMEOUT_S STDIN STDOUT STDERR PROGRAM [ARG...]\n", argv[0]);
    return 2;
  }
  const unsigned timeout_s = (unsigned)strtoul(argv[1], NULL, 10);
  char *empty_environment[] = {NULL};
  char **environment = empty_environment;
  int program = first_program_argument;
  if (strcmp(argv[program], "--keep-environment") == 0) {
    environment = environ;
    ++program;
    if (program >= argc) {
      fprintf(stderr, "%s: no program to run\n", argv[0]);
      return 2;
    }
  }
  const long long started = now_ns();
  const pid_t pid = fork();
  if (pid < 0) {
    perror("fork");
    return 2;
  }
  if (pid == 0) {
    open_onto(argv[2], O_RDONLY, 0);
    open_onto(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 1);
    open_onto(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 2);
    alarm(timeout_s); /* the pending alarm survives exec */
    execve(argv[program], argv + program, environment);
    _exit(exec_failed_status);
  }
  int status = 0;
  struct rusage usage;
  memset(&usage, 0, sizeof usage);
  if (wait4(pid, &status, 0, &usage) != pid) {
    perror("wait4");
    return 2;
  }
  const long long wall = now_ns() - started;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  printf("exit=%d user_us=%lld system_us=%lld maxrss_kib=%ld minflt=%ld wall_ns=%lld\n", code,
         microseconds(usage.ru_utime), microseconds(usage.ru_stime), usage.ru_maxrss,
         usage.ru_minflt, wall);
  return 0;
}
