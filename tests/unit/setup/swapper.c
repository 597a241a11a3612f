/* swapper DIR COMMAND...: runs COMMAND while links are swapped in and out of DIR, on the host.
 *
 * DIR/product holds the folder `pics` and the files g16.dll ... g31.dll of the product; beside
 * each, a link of the same name with ".swap" added leads to the bystanders (DIR/bystanders).
 * While DIR/go exists each name is exchanged with its link as fast as it can be (renameat2,
 * atomically); while it does not, every name is put back and DIR/paused says so. COMMAND decides
 * when. The exit code is COMMAND's. Built for the host by the test tree (tests/unit/setup). */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define PAIRS 17

static char dir[4096];

static void path(char* out, const char* name) { snprintf(out, 4096, "%s/%s", dir, name); }

static int exists(const char* name) {
  char p[4096];
  struct stat st;
  path(p, name);
  return lstat(p, &st) == 0;
}

static void put(const char* name, const char* text) {
  char p[4096];
  path(p, name);
  FILE* f = fopen(p, "w");
  if (!f) { perror(p); exit(2); }
  fputs(text, f);
  fclose(f);
}

static void link_to(const char* target, const char* name) {
  char p[4096];
  path(p, name);
  if (symlink(target, p) != 0) { perror(p); exit(2); }
}

int main(int argc, char** argv) {
  if (argc < 3) { fprintf(stderr, "usage: swapper DIR COMMAND...\n"); return 2; }
  snprintf(dir, sizeof dir, "%s", argv[1]);
  char p[4096], cmd[4200];
  snprintf(cmd, sizeof cmd, "rm -rf '%s'", dir);
  if (system(cmd) != 0) return 2;
  path(p, ""); mkdir(p, 0777);
  path(p, "product"); mkdir(p, 0777);
  path(p, "product/pics"); mkdir(p, 0777);
  path(p, "bystanders"); mkdir(p, 0777);
  char names[PAIRS][2][32];
  snprintf(names[0][0], 32, "pics");
  snprintf(names[0][1], 32, "pics.swap");
  link_to("../bystanders", "product/pics.swap");
  for (int i = 0; i < 32; ++i) {
    char n[32], b[64], text[64];
    snprintf(n, sizeof n, "%c%02d.dll", i < 16 ? 'f' : 'g', i);
    snprintf(b, sizeof b, "bystanders/%s", n);
    snprintf(text, sizeof text, "keep %s", n);
    put(b, text);
    if (i < 16) continue;
    char t[64], l[64];
    snprintf(names[i - 15][0], 32, "%s", n);
    snprintf(names[i - 15][1], 32, "%s.swap", n);
    snprintf(t, sizeof t, "../bystanders/%s", n);
    snprintf(l, sizeof l, "product/%s.swap", n);
    link_to(t, l);
  }

  pid_t child = fork();
  if (child < 0) { perror("fork"); return 2; }
  if (child == 0) {
    execvp(argv[2], argv + 2);
    perror(argv[2]);
    _exit(127);
  }
  path(p, "product");
  int folder = open(p, O_RDONLY | O_DIRECTORY);
  int swapped[PAIRS] = {0};
  long swaps = 0;
  int status = 0;
  for (;;) {
    if (waitpid(child, &status, WNOHANG) == child) break;
    if (exists("go")) {
      path(p, "paused");
      unlink(p);
      for (int i = 0; i < PAIRS; ++i)
        /* A name whose file went has nothing to exchange with: it stays as it is. */
        if (renameat2(folder, names[i][0], folder, names[i][1], RENAME_EXCHANGE) == 0) {
          swapped[i] = !swapped[i];
          ++swaps;
        }
    } else {
      for (int i = 0; i < PAIRS; ++i)
        if (swapped[i] && renameat2(folder, names[i][0], folder, names[i][1], RENAME_EXCHANGE) == 0)
          swapped[i] = 0;
      if (!exists("paused")) put("paused", "");
      struct timespec pause = {0, 500000};
      nanosleep(&pause, NULL);
    }
  }
  printf("swapper: %ld swaps\n", swaps);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
