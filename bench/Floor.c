/* The floor of listing the installed applications: what no reader of desktop entries
 * can go below. It lists the "applications" folder of every data directory
 * ($XDG_DATA_HOME, then $XDG_DATA_DIRS) with its subfolders, and opens and reads every
 * "*.desktop" file once, parsing nothing. Prints how many entries and bytes it read.
 * Usage: floor */
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kMaxDepth = 8 };

static size_t entries;
static size_t bytes;
static char buffer[1 << 16];

static int isEntryName(const char* name) {
  const size_t length = strlen(name);
  return length > 8 && strcmp(name + length - 8, ".desktop") == 0;
}

static void readEntry(int folder, const char* name) {
  const int fd = openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return;
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) bytes += (size_t)n;
  close(fd);
  ++entries;
}

/* Takes over fd, the open folder. */
static void walk(int fd, int depth) {
  DIR* dir = fdopendir(fd);
  if (dir == NULL) {
    close(fd);
    return;
  }
  const struct dirent* item;
  while ((item = readdir(dir)) != NULL) {
    const char* name = item->d_name;
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) continue;
    if (isEntryName(name)) {
      readEntry(dirfd(dir), name);
      continue;
    }
    if (depth >= kMaxDepth) continue;
    int folder = item->d_type == DT_DIR;
    if (item->d_type == DT_UNKNOWN || item->d_type == DT_LNK) {
      struct stat info;
      folder = fstatat(dirfd(dir), name, &info, 0) == 0 && S_ISDIR(info.st_mode);
    }
    if (!folder) continue;
    const int sub = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (sub >= 0) walk(sub, depth + 1);
  }
  closedir(dir);
}

static void walkDataDir(const char* data, size_t length) {
  if (length == 0 || length > 4000) return;
  char path[4096 + 16];
  memcpy(path, data, length);
  memcpy(path + length, "/applications", sizeof "/applications");
  const int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) walk(fd, 0);
}

int main(void) {
  const char* dataHome = getenv("XDG_DATA_HOME");
  if (dataHome != NULL && *dataHome != '\0') {
    walkDataDir(dataHome, strlen(dataHome));
  } else if (getenv("HOME") != NULL) {
    char path[4096];
    const int n = snprintf(path, sizeof path, "%s/.local/share", getenv("HOME"));
    if (n > 0 && (size_t)n < sizeof path) walkDataDir(path, (size_t)n);
  }
  const char* dataDirs = getenv("XDG_DATA_DIRS");
  if (dataDirs == NULL || *dataDirs == '\0') dataDirs = "/usr/local/share:/usr/share";
  for (const char* start = dataDirs;;) {
    const char* colon = strchr(start, ':');
    const size_t length = colon != NULL ? (size_t)(colon - start) : strlen(start);
    walkDataDir(start, length);
    if (colon == NULL) break;
    start = colon + 1;
  }
  printf("%zu entries, %zu bytes\n", entries, bytes);
  return 0;
}
