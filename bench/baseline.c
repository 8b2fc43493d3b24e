/* bench/baseline.c — the least a run can cost: the same visible I/O as duopit and no
 * computation. It writes the prompt, reads standard input once, creates duopit.dat, writes
 * three blocks of 1024, 1024 and 436 bytes, closes the file and ends the console line. */
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static char report[2484];

int main(void) {
  static const char prompt[] = "Rumo de saida ficticio (em graus):";
  char answer[132];
  struct stat info;
  (void)write(1, prompt, sizeof prompt - 1);
  (void)read(0, answer, sizeof answer);
  const int exists = lstat("duopit.dat", &info) == 0;
  const int fd = open("duopit.dat", O_RDWR | O_CLOEXEC | (exists ? 0 : O_CREAT | O_EXCL), 0666);
  if (fd < 0) {
    return 1;
  }
  if (exists) {
    (void)ftruncate(fd, 0);
  }
  (void)write(fd, report, 1024);
  (void)write(fd, report + 1024, 1024);
  (void)write(fd, report + 2048, 436);
  (void)close(fd);
  (void)write(1, "\r\n", 2);
  return 0;
}
